#pragma once

#include <string>
#include <vector>

#include "frontends/cli/command_line/options.h"
#include "frontends/cli/run/run_record.h"
#include "tftp/listener.h"

namespace voq::cli {

// Most devices served from one PC address at once: each holds one of the listener's
// ports until its run ends; past that a device waits its turn.
inline constexpr unsigned most_runs_per_pc_address = tftp::listener_port_attempts;

// The devices of --devices, each upgraded by a run of its own in this process, at most
// --parallel at once; a line for each as it ends, then the summary; its status is
// fleet_status's.
int run_fleet(const Options& options);

// The summary table: device, outcome, version, seconds, and the reason of each that
// was not upgraded; then a line with the totals of each outcome.
std::string summary_table(const std::vector<RunRecord>& records);

// The status a list of runs ends with: the first failure's in the file's order; else
// status_not_current when --check found a device the tool's firmware would change; else 0.
int fleet_status(const std::vector<RunRecord>& records);

}  // namespace voq::cli
