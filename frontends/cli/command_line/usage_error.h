#pragma once

#include <string>

namespace voq::cli {

// Says what was wrong with the command line or its files on standard error and, with
// --json, as the run's object on standard output too; the status to end with (1).
int report_usage_error(const std::string& text, bool json, const std::string& device, bool point_to_help = false);

}  // namespace voq::cli
