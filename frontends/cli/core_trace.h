#pragma once

#include "frontends/cli/console.h"

namespace voq::cli {

// The core's own trace texts, each one that tells of a packet, into the console's
// trace (-vv); for the rest of the process.
void trace_core_into(Console& console);

}  // namespace voq::cli
