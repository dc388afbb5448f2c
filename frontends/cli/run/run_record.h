#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frontends/cli/run/exit_status.h"

namespace voq::cli {

// What one run learnt about its device, filled in as the screens go by; reported at
// the end as text, as JSON, or as a row of the summary.
struct RunRecord {
    std::string device;
    std::string name;  // the host name the device was given by; empty for an address
    std::string pc_address;
    unsigned port = 0;  // the TFTP port the device was told; 0 before the listener
    std::string product;
    std::string mac_address;
    std::string serial_number;
    std::string version_before;
    std::string version_after;
    std::string version_target;  // of the firmware this program carries
    // A staged build would serve the transition image first; unknown before the status page.
    std::optional<bool> transition_first;
    std::uint64_t bytes = 0;     // acknowledged by the device
    bool delivered = false;      // the last image sent was acknowledged to its end
    std::string upgrade_answer;  // the status line of the device's answer to the upgrade request
    double seconds = 0;
    Outcome outcome = Outcome::upgraded;
    std::string message;
    bool checking = false;  // --check: a device on a later version is not current either
    struct Phase {
        std::string name;  // "reading the status page", as the support log names it
        double seconds = 0;
    };
    std::vector<Phase> phases;  // in the order the run went through them
    std::uint32_t blocks = 0;   // acknowledged, of the last image sent
    std::uint32_t retransmissions = 0;
    std::vector<std::string> likely_causes;  // of a failure; each with what to do
};

inline int status_of(const RunRecord& record)
{
    // With --if-needed a later version is left alone, as it should be.
    if (record.outcome == Outcome::newer && !record.checking) return 0;
    return exit_status_of(record.outcome);
}

}  // namespace voq::cli
