#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frontends/cli/fleet/devices_file.h"

namespace voq::cli {

// One device a run is to start: a line's address, a host name's, or one of a range's.
struct PlannedDevice {
    DeviceLine device;       // address and address_text are the one to reach
    std::string name;        // the host name it was given by, if any
    std::string unresolved;  // the resolver's reason when the name gave no address
    bool in_range = false;   // absent or no VOQ there is no failure
};

// Names resolved once each, ranges spread into their addresses, in the order given.
// An address listed on its own is run once, as listed, and not again for a range that
// holds it. More hosts in the ranges than most is a problem, and nothing is planned.
std::vector<PlannedDevice> spread_targets(const std::vector<DeviceLine>& lines, std::uint64_t most,
                                          std::string& problem);

// Leaves out the addresses of ranges that take no connection on port 80 within
// timeout_ms, probing at most at_once at a time; how many it left out.
std::size_t leave_out_absent(std::vector<PlannedDevice>& planned, unsigned timeout_ms, unsigned at_once);

}  // namespace voq::cli
