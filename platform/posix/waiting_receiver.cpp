#include "platform/waiting_receiver.h"

#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace voq::platform {

namespace {

// The time limit is stretched by up to two of the system's ticks (10 ms each at 100 Hz),
// so it ends this long before the deadline and a poll waits out the rest exactly. It
// moves in whole steps, so that it is set again about once a step, not at every wait.
constexpr unsigned exact_tail_ms = 20;
constexpr unsigned limit_step_ms = 10;

int descriptor(SocketHandle socket) { return static_cast<int>(socket); }

long receive_with(SocketHandle socket, void* buffer, std::size_t capacity, SocketAddress& from, int flags)
{
    sockaddr_in native{};
    socklen_t native_length = sizeof native;
    const long received =
        ::recvfrom(descriptor(socket), buffer, capacity, flags, reinterpret_cast<sockaddr*>(&native), &native_length);
    from = SocketAddress{};
    if (received >= 0 && native.sin_family == AF_INET)
        from = {address_family_ipv4, native.sin_port, native.sin_addr.s_addr};
    return received;
}

}  // namespace

WaitingReceiver::WaitingReceiver(SocketHandle socket) : socket_(socket)
{
    flags_before_ = ::fcntl(descriptor(socket_), F_GETFL);
    blocking_ = flags_before_ >= 0 && ::fcntl(descriptor(socket_), F_SETFL, flags_before_ & ~O_NONBLOCK) == 0;
}

WaitingReceiver::~WaitingReceiver()
{
    if (held_limit_ms_ != 0) set_receive_time_limit(socket_, 0);
    if (blocking_) ::fcntl(descriptor(socket_), F_SETFL, flags_before_);
}

long WaitingReceiver::receive(void* buffer, std::size_t capacity, SocketAddress& from, unsigned wait_ms)
{
    if (blocking_ && wait_ms >= exact_tail_ms + limit_step_ms) {
        const unsigned limit_ms = (wait_ms - exact_tail_ms) / limit_step_ms * limit_step_ms;
        if (limit_ms != held_limit_ms_ && set_receive_time_limit(socket_, limit_ms)) held_limit_ms_ = limit_ms;
        if (limit_ms == held_limit_ms_) return receive_with(socket_, buffer, capacity, from, 0);
    }
    if (wait_ms > 0 && wait_readable(socket_, wait_ms) != Readiness::readable) return -1;
    return receive_with(socket_, buffer, capacity, from, MSG_DONTWAIT);
}

}  // namespace voq::platform
