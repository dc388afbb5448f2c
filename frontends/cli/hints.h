#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frontends/cli/exit_status.h"
#include "record/facts.h"

namespace voq::cli {

struct HintFacts {
    std::uint32_t pc_address;
    std::uint32_t device_address;
    std::optional<std::uint32_t> pc_netmask;                  // of the PC address's interface
    unsigned tftp_port;                                       // 0 when the listener never started
    std::string upgrade_answer;                               // its status line; empty when none came
    std::optional<record::CallFailedFact> http_refusal = {};  // the last HTTP call the system refused
    bool http_unanswered = false;                             // connected, and no answer within --http-timeout
    std::vector<record::CallFailedFact> tftp_refusals = {};   // each range of ports searched, with its first refusal
    std::optional<std::string> port_69_holder = {};           // the program on UDP port 69, when this PC tells
    bool port_69_ours = false;                                // another run of this program holds it: no cause to name
    bool root = false;                                        // root needs no capability to bind port 69
    std::string version_before = {};                          // what the status page said before the upgrade
    bool transition_first = false;                            // a device that old takes the transition image first
    bool staged = false;                                      // this build serves it
};

// The likely causes of a run that ended without reaching the device or without the
// device coming back, each with what to do, most telling first; nothing for other
// outcomes. What the run went through decides them: a refused connection is no
// matter of a firewall for TFTP, a device that took its whole firmware no matter of
// its subnet.
std::vector<std::string> likely_causes(Outcome outcome, const HintFacts& facts);

}  // namespace voq::cli
