#include "frontends/cli/run/failure_message.h"

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

bool answer_is_success(std::string_view status_line)
{
    const std::size_t space = status_line.find(' ');
    if (space == std::string_view::npos) return false;
    const std::string_view code = status_line.substr(space + 1, 3);
    return code.size() == 3 && code[0] == '2' && code.find_first_not_of("0123456789") == std::string_view::npos;
}

std::string no_request_message(std::string_view message, std::string_view upgrade_answer)
{
    if (upgrade_answer.empty() || answer_is_success(upgrade_answer)) return std::string(message);
    return "Upgrade Failed: VOQ answered the upgrade request with " + quoted(upgrade_answer) +
           " and never asked for the firmware";
}

}  // namespace voq::cli
