#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "bench/lockstep_server.h"
#include "bench/placement.h"
#include "bench/tool_server.h"
#include "sim/tftp_client.h"

namespace voq::bench {

// Where the devices' client fetches from, and the file both servers are asked for.
struct Servers {
    ToolServer* tool = nullptr;
    std::uint32_t reference_address = 0;  // tftpd-hpa; 0 when it is not there
    pid_t reference_process = 0;
    std::uint16_t reference_port = 0;
    LockstepServer* lockstep = nullptr;  // the best case
    std::uint32_t lockstep_address = 0;
    std::uint16_t lockstep_port = 0;
    LockstepServer* polling_lockstep = nullptr;  // the best case, waiting the listener's way
    std::uint32_t polling_lockstep_address = 0;  // on lockstep_port
    std::uint32_t client_address = 0;
    std::string file_path;  // absolute: tftpd-hpa serves it from the disk by this name
};

enum class Server { tool, reference, lockstep, polling_lockstep };

struct TimedFetch {
    bool intact = false;  // every byte, in order, and a complete end
    double milliseconds = 0;
    // Whether the client and the server's thread were on different CPUs as the last
    // block was acknowledged; unknown for tftpd-hpa's processes.
    std::optional<bool> ended_apart;
};

// The simulator's client fetching at once: no delay before its read request, no
// lingering after the last block; following a server that answers from a new port
// when told to (tftpd-hpa does, the tool does not).
sim::Fetch fetch_at_once(const Servers& servers, const sim::UpgradeRequest& request, bool follow_new_port);

// Writes image to the file both servers serve; false when it cannot be written.
bool place_image(const Servers& servers, const std::vector<std::uint8_t>& image);

// One fetch by the simulator's client, the devices' way, from the read request to
// the acknowledgement of the last block (the client does not linger afterwards).
TimedFetch timed_fetch(const Servers& servers, Server server, const std::vector<std::uint8_t>& image);

// Puts the client, the tool's server thread, the lock-step responder and tftpd-hpa
// where placement says.
void place_servers(const Servers& servers, Placement placement);

}  // namespace voq::bench
