#include "frontends/cli/interruption.h"

#include "frontends/cli/cli_texts.h"
#include "frontends/cli/terminal.h"
#include "session/messages.h"

namespace voq::cli {

Interruption interruption_of(int signal)
{
    const Outcome outcome = outcome_of_signal(signal);
    switch (outcome) {
    case Outcome::terminated: return {outcome, text::terminated};
    case Outcome::hung_up: return {outcome, text::hung_up};
    default: return {Outcome::interrupted, session::message::user_abort};
    }
}

Interruption current_interruption() { return interruption_of(terminal::interrupting_signal()); }

}  // namespace voq::cli
