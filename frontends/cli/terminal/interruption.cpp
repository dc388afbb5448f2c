#include "frontends/cli/terminal/interruption.h"

#include "frontends/cli/run/cli_texts.h"
#include "platform/terminal.h"
#include "session/messages.h"

namespace voq::cli {

Interruption interruption_of(int signal)
{
    const Outcome outcome = outcome_of_signal(signal);
    switch (outcome) {
    case Outcome::terminated:
        return {outcome, text::terminated};
    case Outcome::hung_up:
        return {outcome, text::hung_up};
    default:
        return {Outcome::interrupted, session::message::user_abort};
    }
}

std::string interrupted_message(std::string_view message, bool delivered, std::string_view device)
{
    if (!delivered) return std::string(message);
    return std::string(message) + " after the firmware was delivered: VOQ@" + std::string(device) +
           " restarts on it; check its version on its status page";
}

Interruption current_interruption() { return interruption_of(platform::terminal::interrupting_signal()); }

}  // namespace voq::cli
