#include "platform/waiting_receiver.h"

namespace voq::platform {

// Winsock leaves a socket whose receive timed out in an undefined state, so the socket
// stays non-blocking and every wait is a select, bounded by the system's tick as before.
WaitingReceiver::WaitingReceiver(SocketHandle socket) : socket_(socket) {}

WaitingReceiver::~WaitingReceiver() = default;

long WaitingReceiver::receive(void* buffer, std::size_t capacity, SocketAddress& from, unsigned wait_ms)
{
    if (wait_ms > 0 && wait_readable(socket_, wait_ms) != Readiness::readable) return -1;
    return receive_datagram(socket_, buffer, capacity, from);
}

}  // namespace voq::platform
