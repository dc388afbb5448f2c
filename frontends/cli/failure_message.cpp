#include "frontends/cli/failure_message.h"

namespace voq::cli {

namespace {

// A device's text as it came: an empty one is said to be empty rather than left out.
std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

std::string failure_message(session::Failure failure, std::string_view message, const FailureDetails& details)
{
    std::string told(message);
    if (failure == session::Failure::version_mismatch && details.versions)
        told += ": expected " + quoted(details.versions->expected) + ", VOQ reports " + quoted(details.versions->reported);
    return told;
}

}  // namespace voq::cli
