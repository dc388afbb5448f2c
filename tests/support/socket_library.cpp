// Every test program starts the socket library first, as the program does (Winsock
// needs it; elsewhere it is nothing).

#include "platform/socket.h"

namespace {
const bool socket_library_started = voq::platform::start_socket_library();
}
