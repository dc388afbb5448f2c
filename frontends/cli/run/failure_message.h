#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "record/run_report.h"
#include "session/failure_codes.h"

namespace voq::cli {

// What the run's facts add to a failure that the core's message leaves out.
struct FailureDetails {
    std::optional<record::VersionsFact> versions;
};

// The core's message for a failure, told with what the facts add: a version mismatch
// names both versions. Any other failure keeps the core's words.
std::string failure_message(session::Failure failure, std::string_view message, const FailureDetails& details);

// The device never asked for its firmware: when it refused the upgrade request, its
// answer comes first, since no firewall is to blame for that.
std::string no_request_message(std::string_view message, const record::Exchange* upgrade);

}  // namespace voq::cli
