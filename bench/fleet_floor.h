#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace voq::bench {

// The transfers of a fleet with nothing of the tool in them: count lock-step
// responders on server_address, each fetched from at once by a simulated device's
// client on its own address. What the machine allows a fleet's transfers at best,
// without the tool's own code, screens, timers or anything before and after.
struct FloorRun {
    double seconds = 0;     // from the first read request to the last block acknowledged
    unsigned intact = 0;    // images that arrived byte for byte
    bool measured = false;  // false when the responders could not be had
};

// Where the responders run. A program apart from the devices cannot share their
// address space, and on a virtual machine a switch between processes can cost far more
// than one between threads of a process: the floor is theirs in a process of their own.
enum class Responders {
    apart,            // all of them threads of one process of their own: the floor
    clients_process,  // threads of this process, beside the clients
    process_each,     // a process each, as a list had when its devices were processes
};

// Responders in processes of their own serve the image this program carries as the
// target; the clients check what they fetch against image all the same.
FloorRun best_case_transfers(unsigned count, Responders where, std::uint32_t server_address,
                             const std::function<std::uint32_t(unsigned)>& client_address,
                             const std::vector<std::uint8_t>& image);

}  // namespace voq::bench
