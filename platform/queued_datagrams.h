#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/socket.h"

namespace voq::platform {

// A datagram socket's queue as it stood at one moment. Read through it, a reader takes
// what was waiting then and nothing that came after, however fast more comes: the
// systems count no datagrams, so Linux dates each one as it arrives, and Winsock
// tells the bytes waiting.
struct QueueMark {
    std::int64_t value = 0;  // the moment in ns (Linux), or the bytes still to read (Winsock)
};

// Starts dating the datagrams that arrive from now on; a mark can only tell apart
// those that came after this.
bool date_arrivals(SocketHandle socket);

QueueMark mark_queue(SocketHandle socket);

// The next datagram that was waiting when mark was taken, without waiting for one;
// negative once none is left. One that came after the mark is dropped.
long receive_before_mark(SocketHandle socket, QueueMark& mark, void* buffer, std::size_t capacity, SocketAddress& from);

}  // namespace voq::platform
