#include "platform/queued_datagrams.h"

#include <winsock2.h>

namespace voq::platform {

bool date_arrivals(SocketHandle) { return true; }

// On a datagram socket Winsock's FIONREAD is every byte queued, not the next datagram's.
QueueMark mark_queue(SocketHandle socket)
{
    u_long waiting = 0;
    if (::ioctlsocket(static_cast<SOCKET>(socket), FIONREAD, &waiting) != 0) return {0};
    return {static_cast<std::int64_t>(waiting)};
}

// An empty datagram counts a byte, so that a stream of them cannot keep the reading going.
long receive_before_mark(SocketHandle socket, QueueMark& mark, void* buffer, std::size_t capacity, SocketAddress& from)
{
    if (mark.value <= 0) return -1;
    const long received = receive_datagram(socket, buffer, capacity, from);
    if (received < 0) return received;
    mark.value -= received > 0 ? received : 1;
    return received;
}

}  // namespace voq::platform
