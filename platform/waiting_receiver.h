#pragma once

#include <cstddef>

#include "platform/socket.h"

namespace voq::platform {

// A non-blocking datagram socket lent, for a while, to a loop that waits in its receive
// for the next datagram or a deadline of its own. Waiting in a poll arms and cancels a
// precise timer at every wait, which where the two sides of a lock-step exchange share a
// CPU was a tenth of the exchange; a receive that blocks under the socket's own time
// limit uses the system's tick-grained timer instead, and the last stretch before a
// deadline is still a poll, so that no deadline is met late. Puts the socket back as it
// found it when it goes.
class WaitingReceiver {
public:
    explicit WaitingReceiver(SocketHandle socket);
    WaitingReceiver(const WaitingReceiver&) = delete;
    WaitingReceiver& operator=(const WaitingReceiver&) = delete;
    ~WaitingReceiver();

    // The next datagram, waiting at most wait_ms for one (0: only one already queued);
    // negative when none came. It may return before wait_ms without one: the caller's
    // clock says what the time means.
    long receive(void* buffer, std::size_t capacity, SocketAddress& from, unsigned wait_ms);

private:
    SocketHandle socket_;
    bool blocking_ = false;
    int flags_before_ = 0;        // the socket's mode as it was lent (POSIX)
    unsigned held_limit_ms_ = 0;  // the receive time limit the socket holds; 0 for none
};

}  // namespace voq::platform
