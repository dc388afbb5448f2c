#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frontends/cli/exit_status.h"

namespace voq::cli {

struct HintFacts {
    std::uint32_t pc_address;
    std::uint32_t device_address;
    std::optional<std::uint32_t> pc_netmask;  // of the PC address's interface
    unsigned tftp_port;                       // 0 when the listener never started
    std::string upgrade_answer;               // its status line; empty when none came
};

// The likely causes of a device that did not answer or never asked for its firmware,
// each with what to do, most telling first; nothing for other outcomes.
std::vector<std::string> likely_causes(Outcome outcome, const HintFacts& facts);

}  // namespace voq::cli
