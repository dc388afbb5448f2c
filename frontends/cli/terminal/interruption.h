#pragma once

#include <string>
#include <string_view>

#include "frontends/cli/run/exit_status.h"

namespace voq::cli {

struct Interruption {
    Outcome outcome;
    std::string_view message;
};

// What the signal that interrupted the run makes of it (Ctrl+C when none came yet).
Interruption interruption_of(int signal);
Interruption current_interruption();

// The message of a run ended by a signal. Once the firmware is delivered the device
// restarts on it whatever the program does, and the words must not say otherwise.
std::string interrupted_message(std::string_view message, bool delivered, std::string_view device);

}  // namespace voq::cli
