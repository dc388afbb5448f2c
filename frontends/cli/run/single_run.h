#pragma once

#include "frontends/cli/command_line/options.h"

namespace voq::cli {

// One device's upgrade through the core, to its exit status. Paths that end inside
// the core end the process there, with the same status.
int run_one_device(const Options& options);

}  // namespace voq::cli
