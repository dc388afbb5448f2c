#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "session/failure_codes.h"
#include "ui/facts.h"

namespace voq::cli {

// What the run's facts add to a failure that the core's message leaves out.
struct FailureDetails {
    std::optional<ui::VersionsFact> versions;
};

// The core's message for a failure, told with what the facts add: a version mismatch
// names both versions. Any other failure keeps the core's words.
std::string failure_message(session::Failure failure, std::string_view message, const FailureDetails& details);

}  // namespace voq::cli
