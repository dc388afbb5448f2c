#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace voq::bench {

// The transfers of a fleet with nothing of the tool in them: count lock-step
// responders on server_address, each fetched from at once by a simulated device's
// client on its own address. What the machine allows a fleet's transfers at best,
// without the tool's processes, screens, timers or anything before and after.
struct FloorRun {
    double seconds = 0;     // from the first read request to the last block acknowledged
    unsigned intact = 0;    // images that arrived byte for byte
    bool measured = false;  // false when the responders could not be had
};

FloorRun best_case_transfers(unsigned count, std::uint32_t server_address,
                             const std::function<std::uint32_t(unsigned)>& client_address,
                             const std::vector<std::uint8_t>& image);

}  // namespace voq::bench
