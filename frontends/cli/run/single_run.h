#pragma once

#include <memory>

#include "frontends/cli/command_line/options.h"
#include "frontends/cli/run/run_record.h"

namespace voq::cli {

// One device's upgrade through the core, to its exit status. Paths that end inside
// the core end the process there, with the same status.
int run_one_device(const Options& options);

// One device of a list, in the list's process: its run on threads of its own, to its
// record. Nothing is printed but its trace and errors; the record comes back once the
// run has ended, while its last threads may still be leaving. port_hold is let go once
// the run's TFTP port is free, or at once where it never had one.
RunRecord run_device_here(const Options& options, std::shared_ptr<void> port_hold);

}  // namespace voq::cli
