#pragma once

#include <cstdint>
#include <string>

#include "frontends/cli/exit_status.h"

namespace voq::cli {

// What one run learnt about its device, filled in as the screens go by; reported at
// the end as text, as JSON, or as a row of the summary.
struct RunRecord {
    std::string device;
    std::string pc_address;
    unsigned port = 0;  // the TFTP port the device was told; 0 before the listener
    std::string product;
    std::string mac_address;
    std::string serial_number;
    std::string version_before;
    std::string version_after;
    std::uint64_t bytes = 0;  // acknowledged by the device
    bool delivered = false;   // the last image sent was acknowledged to its end
    std::string upgrade_answer;  // the status line of the device's answer to the upgrade request
    double seconds = 0;
    Outcome outcome = Outcome::upgraded;
    std::string message;
};

}  // namespace voq::cli
