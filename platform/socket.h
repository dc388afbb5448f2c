#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace voq::platform {

// Wide enough for a Winsock SOCKET and a POSIX descriptor alike.
using SocketHandle = std::uintptr_t;
inline constexpr SocketHandle invalid_socket = ~SocketHandle{0};

inline constexpr std::uint16_t address_family_ipv4 = 2;

// An IPv4 socket address as the socket calls take it: port and address in network
// byte order.
struct SocketAddress {
    std::uint16_t family = 0;
    std::uint16_t port = 0;
    std::uint32_t address = 0;
};

// Starts the socket library (Winsock 1.1); always true where there is nothing to start.
bool start_socket_library();

SocketHandle open_stream_socket();
SocketHandle open_datagram_socket();
void close_socket(SocketHandle socket);

bool set_non_blocking(SocketHandle socket);
int last_socket_error();
// The system's own words for a socket error code (strerror, or FormatMessage for
// Winsock's codes), for the trace; "error N" when it has none.
std::string socket_error_text(int code);

// What a socket error code means for the person who has to act on it. refused: a
// host answered, but nothing listens on that port; unreachable: no way to the host,
// or it never answered the connection; not_permitted: the port is kept for privileged
// programs (Windows never says it); in_use: another socket holds the port.
enum class SocketErrorKind { refused, unreachable, not_permitted, in_use, other };
SocketErrorKind socket_error_kind(int code);

// Why a bind did not take. not_permitted: the port is kept for privileged programs
// (below net.ipv4.ip_unprivileged_port_start on Linux, for a program without
// CAP_NET_BIND_SERVICE); Windows lets any user bind any port and never says it.
// failed: anything else, the port in use among them.
enum class BindResult { bound, not_permitted, failed };

BindResult bind_socket(SocketHandle socket, const SocketAddress& local);
bool connect_socket(SocketHandle socket, const SocketAddress& remote);
// The address and port the socket is bound to (after bind or connect).
bool local_address_of(SocketHandle socket, SocketAddress& local);

// Results as the socket calls give them: a byte count, 0 for a closed stream, or
// negative for an error (including "nothing waiting" on a non-blocking socket).
long send_bytes(SocketHandle socket, const void* bytes, std::size_t length);
long receive_bytes(SocketHandle socket, void* buffer, std::size_t capacity);
long send_datagram(SocketHandle socket, const void* bytes, std::size_t length, const SocketAddress& to);
long receive_datagram(SocketHandle socket, void* buffer, std::size_t capacity, SocketAddress& from);

enum class Readiness { readable, timed_out, failed };

// Waits until socket has something to read, at most timeout_ms milliseconds.
Readiness wait_readable(SocketHandle socket, unsigned timeout_ms);

// Bounds each blocking receive on socket: after about timeout_ms without a datagram it
// returns nothing. The system's clock tick may stretch the bound (to 4 ms on a kernel
// that ticks 250 times a second), so it suits a loop that reads the clock itself.
bool set_receive_time_limit(SocketHandle socket, unsigned timeout_ms);

std::uint32_t host_to_network(std::uint32_t value);
std::uint16_t host_to_network(std::uint16_t value);
std::uint32_t network_to_host(std::uint32_t value);
std::uint16_t network_to_host(std::uint16_t value);

// Owns one socket and closes it when it goes.
class Socket {
public:
    Socket() = default;
    explicit Socket(SocketHandle handle) : handle_(handle) {}
    Socket(Socket&& other) noexcept : handle_(std::exchange(other.handle_, invalid_socket)) {}
    Socket& operator=(Socket&& other) noexcept
    {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, invalid_socket);
        }
        return *this;
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() { reset(); }

    SocketHandle handle() const { return handle_; }
    bool valid() const { return handle_ != invalid_socket; }
    void reset()
    {
        if (valid()) close_socket(std::exchange(handle_, invalid_socket));
    }

private:
    SocketHandle handle_ = invalid_socket;
};

}  // namespace voq::platform
