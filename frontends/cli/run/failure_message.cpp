#include "frontends/cli/run/failure_message.h"

#include "record/printable.h"

namespace voq::cli {

namespace {

// A device's text as it came: an empty one is said to be empty rather than left out.
std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

std::string failure_message(session::Failure failure, std::string_view message, const FailureDetails& details)
{
    std::string told(message);
    if (failure == session::Failure::version_mismatch && details.versions)
        told +=
            ": expected " + quoted(details.versions->expected) + ", VOQ reports " + quoted(details.versions->reported);
    return told;
}

std::string no_request_message(std::string_view message, const record::Exchange* upgrade)
{
    if (upgrade == nullptr || !upgrade->answered || (upgrade->status_code >= 200 && upgrade->status_code <= 299))
        return std::string(message);
    return "Upgrade Failed: VOQ answered the upgrade request with " + quoted(record::printable(upgrade->status_line)) +
           " and never asked for the firmware";
}

}  // namespace voq::cli
