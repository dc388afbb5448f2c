#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontends/cli/run/run_record.h"

namespace voq::cli {

// One line of JSON, without its line end.
std::string record_json(const RunRecord& record);

// The line a run of several devices ends with, after their objects: how many, each
// outcome's count, the addresses of its ranges found absent (which have no object), how
// long it took and the status it ends with. It has no member "outcome", so that a script
// that keeps the objects that have one keeps the devices' alone.
std::string summary_json(const std::vector<RunRecord>& records, std::size_t absent, double seconds, int status);

// A line record_json wrote, read back, as a script would read it.
std::optional<RunRecord> parse_record_json(std::string_view line);

}  // namespace voq::cli
