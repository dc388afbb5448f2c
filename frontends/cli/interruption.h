#pragma once

#include <string_view>

#include "frontends/cli/exit_status.h"

namespace voq::cli {

struct Interruption {
    Outcome outcome;
    std::string_view message;
};

// What the signal that interrupted the run makes of it (Ctrl+C when none came yet).
Interruption interruption_of(int signal);
Interruption current_interruption();

}  // namespace voq::cli
