#pragma once

#include <cstdint>

#include "platform/socket.h"

namespace voq::platform {

// A steady beat of one a millisecond for a loop that waits on its socket a millisecond
// at a time. Armed once, it spares each wait a timer of its own: on a virtual machine
// arming and cancelling a timer at every wait costs more than the wait itself, and
// made a transfer several times slower than a responder blocked in its receive.
class Beat {
public:
    // Beating from now on. Where the system has no such timer to give, each wait
    // bounds itself to a millisecond instead.
    Beat();
    ~Beat();
    Beat(const Beat&) = delete;
    Beat& operator=(const Beat&) = delete;

    // Until socket has something to read (readable) or the next beat (timed_out),
    // whichever comes first; readable when both. A beat that came while nobody
    // waited ends the next wait at once, and several such count as one.
    Readiness wait_readable(SocketHandle socket);
    // Until the next beat, whatever arrives.
    void wait();

private:
    std::intptr_t timer_ = -1;  // -1: none
};

}  // namespace voq::platform
