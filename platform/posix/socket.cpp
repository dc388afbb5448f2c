#include "platform/socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace voq::platform {

namespace {

int descriptor(SocketHandle socket) { return static_cast<int>(socket); }

SocketHandle handle_of(int descriptor)
{
    return descriptor < 0 ? invalid_socket : static_cast<SocketHandle>(descriptor);
}

sockaddr_in to_native(const SocketAddress& address)
{
    sockaddr_in native{};
    native.sin_family = AF_INET;
    native.sin_port = address.port;
    native.sin_addr.s_addr = address.address;
    return native;
}

}  // namespace

bool start_socket_library() { return true; }

// Not inherited by programs started later: a child holding a copy would keep the
// port bound, or a listening socket alive, after this process has closed it.
SocketHandle open_stream_socket() { return handle_of(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)); }
SocketHandle open_datagram_socket() { return handle_of(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)); }
void close_socket(SocketHandle socket) { ::close(descriptor(socket)); }

bool set_non_blocking(SocketHandle socket)
{
    const int flags = ::fcntl(descriptor(socket), F_GETFL, 0);
    return flags >= 0 && ::fcntl(descriptor(socket), F_SETFL, flags | O_NONBLOCK) == 0;
}

int last_socket_error() { return errno; }

std::string socket_error_text(int code)
{
    char text[256] = "";
    // The GNU strerror_r may hand back a static text instead of filling ours.
    const char* said = ::strerror_r(code, text, sizeof text);
    if (said == nullptr || *said == '\0') return "error " + std::to_string(code);
    return said;
}

SocketErrorKind socket_error_kind(int code)
{
    switch (code) {
    case ECONNREFUSED:
        return SocketErrorKind::refused;
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ETIMEDOUT:
        return SocketErrorKind::unreachable;
    case EACCES:
    case EPERM:
        return SocketErrorKind::not_permitted;
    case EADDRINUSE:
        return SocketErrorKind::in_use;
    default:
        return SocketErrorKind::other;
    }
}

BindResult bind_socket(SocketHandle socket, const SocketAddress& local)
{
    const sockaddr_in native = to_native(local);
    if (::bind(descriptor(socket), reinterpret_cast<const sockaddr*>(&native), sizeof native) == 0)
        return BindResult::bound;
    return errno == EACCES ? BindResult::not_permitted : BindResult::failed;
}

bool connect_socket(SocketHandle socket, const SocketAddress& remote)
{
    const sockaddr_in native = to_native(remote);
    int result = 0;
    do {
        result = ::connect(descriptor(socket), reinterpret_cast<const sockaddr*>(&native), sizeof native);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool local_address_of(SocketHandle socket, SocketAddress& local)
{
    sockaddr_in native{};
    socklen_t native_length = sizeof native;
    if (::getsockname(descriptor(socket), reinterpret_cast<sockaddr*>(&native), &native_length) != 0 ||
        native.sin_family != AF_INET)
        return false;
    local = SocketAddress{address_family_ipv4, native.sin_port, native.sin_addr.s_addr};
    return true;
}

long send_bytes(SocketHandle socket, const void* bytes, std::size_t length)
{
    // A device that has already closed must not kill the process with SIGPIPE.
    return ::send(descriptor(socket), bytes, length, MSG_NOSIGNAL);
}

long receive_bytes(SocketHandle socket, void* buffer, std::size_t capacity)
{
    long received = 0;
    do {
        received = ::recv(descriptor(socket), buffer, capacity, 0);
    } while (received < 0 && errno == EINTR);
    return received;
}

long send_datagram(SocketHandle socket, const void* bytes, std::size_t length, const SocketAddress& to)
{
    const sockaddr_in native = to_native(to);
    return ::sendto(descriptor(socket), bytes, length, 0, reinterpret_cast<const sockaddr*>(&native), sizeof native);
}

long receive_datagram(SocketHandle socket, void* buffer, std::size_t capacity, SocketAddress& from)
{
    sockaddr_in native{};
    socklen_t native_length = sizeof native;
    const long received =
        ::recvfrom(descriptor(socket), buffer, capacity, 0, reinterpret_cast<sockaddr*>(&native), &native_length);
    from = SocketAddress{};
    if (received >= 0 && native.sin_family == AF_INET) {
        from.family = address_family_ipv4;
        from.port = native.sin_port;
        from.address = native.sin_addr.s_addr;
    }
    return received;
}

Readiness wait_readable(SocketHandle socket, unsigned timeout_ms)
{
    pollfd watched{descriptor(socket), POLLIN, 0};
    const int ready = ::poll(&watched, 1, static_cast<int>(timeout_ms));
    if (ready > 0) return Readiness::readable;
    if (ready == 0 || errno == EINTR) return Readiness::timed_out;
    return Readiness::failed;
}

bool set_receive_time_limit(SocketHandle socket, unsigned timeout_ms)
{
    const timeval limit{static_cast<time_t>(timeout_ms / 1000), static_cast<suseconds_t>(timeout_ms % 1000) * 1000};
    return ::setsockopt(descriptor(socket), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) == 0;
}

std::uint32_t host_to_network(std::uint32_t value) { return htonl(value); }
std::uint16_t host_to_network(std::uint16_t value) { return htons(value); }
std::uint32_t network_to_host(std::uint32_t value) { return ntohl(value); }
std::uint16_t network_to_host(std::uint16_t value) { return ntohs(value); }

}  // namespace voq::platform
