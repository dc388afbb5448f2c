#include "platform/beat.h"

#include "platform/clock.h"

namespace voq::platform {

// Winsock waits only on sockets: each wait bounds itself.
Beat::Beat() = default;
Beat::~Beat() = default;

Readiness Beat::wait_readable(SocketHandle socket) { return platform::wait_readable(socket, 1); }

void Beat::wait() { sleep_milliseconds(1); }

}  // namespace voq::platform
