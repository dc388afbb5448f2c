#pragma once

#include "frontends/cli/command_line/options.h"
#include "frontends/cli/run/run_record.h"

namespace voq::cli {

// One device's upgrade through the core, to its exit status. Paths that end inside
// the core end the process there, with the same status.
int run_one_device(const Options& options);

// One device of a list, in the list's process: its run on threads of its own, to its
// record. Nothing is printed but its trace and errors; the record comes back once the
// run has ended, while its last threads may still be leaving.
RunRecord run_device_here(const Options& options);

}  // namespace voq::cli
