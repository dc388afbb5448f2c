#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record/run_report.h"

namespace voq::record {

// What the run's facts cannot tell and a front-end can: this PC and its neighbours.
struct Circumstances {
    std::optional<std::uint32_t> pc_netmask;         // of the PC address's interface
    std::optional<std::string> port_69_holder = {};  // the program on UDP port 69, when this PC tells
    bool port_69_ours = false;                       // another run of this program holds it: no cause to name
    bool root = false;                               // root needs no capability to bind port 69
    bool http_unanswered = false;                    // connected, and no answer within the time given
};

// The likely causes of a run that did not reach the device, whose device never asked
// for its firmware, or did not come back, each with what to do, most telling first;
// nothing for other runs. They follow what happened: a refused connection is no
// matter of a firewall for TFTP, a device that refused the upgrade request is named
// with its answer, a device that took its whole firmware no matter of its subnet.
std::vector<std::string> likely_causes(const RunReport& report, const Circumstances& around);

}  // namespace voq::record
