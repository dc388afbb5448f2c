#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/answers.h"
#include "sim/device_config.h"

namespace voq::sim {

// What the device's TFTP client did with one upgrade request.
struct Fetch {
    std::string file_name;
    std::vector<std::uint8_t> bytes;       // every byte received, in order
    bool complete = false;                 // ended at a short block
    std::uint16_t client_port = 0;         // where the read request came from
    std::string option_acknowledgement;    // as received, NULs shown as '|'
    unsigned most_copies_of_a_packet = 0;  // the most times one DATA block (or the options) arrived
    unsigned foreign_packets = 0;          // from anywhere but the server's end of the transfer
};

// Fetches the file an upgrade request names, the way the devices' client does:
// one read request with tsize and timeout options from its own port, ACK 0 to the
// option acknowledgement, an ACK a block, the end at a short block. Returns when
// the transfer ends, is given up after patience_ms of silence, or stop is set.
Fetch fetch_firmware(std::uint32_t device_address, const UpgradeRequest& request, const TftpConfig& config,
                     const std::atomic<bool>& stop, const std::function<void(std::string_view)>& log);

// The read request the devices send.
std::vector<std::uint8_t> read_request_packet(std::string_view file_name);

}  // namespace voq::sim
