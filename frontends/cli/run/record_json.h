#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "frontends/cli/run/run_record.h"

namespace voq::cli {

// One line of JSON, without its line end.
std::string record_json(const RunRecord& record);

// A line record_json wrote, read back (the many-device run reads its children's).
std::optional<RunRecord> parse_record_json(std::string_view line);

}  // namespace voq::cli
