#include "app/startup.h"
#include "firmware/embedded.h"
#include "platform/clock.h"
#include "platform/local_addresses.h"
#include "platform/socket.h"

namespace voq::app {

StartupServices standard_startup_services()
{
    return {
        platform::start_socket_library,
        platform::local_ipv4_addresses,
        platform::milliseconds,
        fw::embedded_image,
    };
}

}  // namespace voq::app
