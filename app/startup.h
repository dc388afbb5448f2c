#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "session/session.h"

namespace voq::app {

// What start-up takes from the platform and from the build. The product passes the
// real ones (standard_startup_services); tests swap single entries.
struct StartupServices {
    bool (*start_socket_library)();
    std::function<std::vector<std::uint32_t>()> local_addresses;
    std::uint32_t (*milliseconds)();
    // The embedded image of that resource id; an empty view when the build lacks it.
    std::span<const std::uint8_t> (*embedded_image)(int resource_id);
};

// The services of this build: the platform's calls and the images linked into it.
StartupServices standard_startup_services();

// Socket library, the PC's addresses, the Auth state, the random seed, the screens'
// controls, the firmware images and the product's identity, in that order.
void run_startup(session::Session& session, const StartupServices& services);

}  // namespace voq::app
