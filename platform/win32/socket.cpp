#include "platform/socket.h"

#include <winsock2.h>

namespace voq::platform {

namespace {

SOCKET native(SocketHandle socket) { return static_cast<SOCKET>(socket); }

SocketHandle handle_of(SOCKET socket)
{
    return socket == INVALID_SOCKET ? invalid_socket : static_cast<SocketHandle>(socket);
}

sockaddr_in to_native(const SocketAddress& address)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = address.port;
    result.sin_addr.s_addr = address.address;
    return result;
}

int clamp_length(std::size_t length) { return length > 0x7fffffff ? 0x7fffffff : static_cast<int>(length); }

}  // namespace

bool start_socket_library()
{
    WSADATA data{};
    return ::WSAStartup(MAKEWORD(1, 1), &data) == 0;  // 257: Winsock 1.1
}

SocketHandle open_stream_socket() { return handle_of(::socket(AF_INET, SOCK_STREAM, 0)); }
SocketHandle open_datagram_socket() { return handle_of(::socket(AF_INET, SOCK_DGRAM, 0)); }
void close_socket(SocketHandle socket) { ::closesocket(native(socket)); }

bool set_non_blocking(SocketHandle socket)
{
    u_long on = 1;
    return ::ioctlsocket(native(socket), FIONBIO, &on) == 0;
}

int last_socket_error() { return ::WSAGetLastError(); }

std::string socket_error_text(int code)
{
    char text[256] = "";
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                          static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    std::string said(text, length);
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' ')) said.pop_back();
    if (said.empty()) return "error " + std::to_string(code);
    return said + " (" + std::to_string(code) + ")";
}

// WSAEACCES on a bind is a port held for exclusive use by another program.
SocketErrorKind socket_error_kind(int code)
{
    switch (code) {
    case WSAECONNREFUSED:
        return SocketErrorKind::refused;
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH:
    case WSAETIMEDOUT:
        return SocketErrorKind::unreachable;
    case WSAEADDRINUSE:
    case WSAEACCES:
        return SocketErrorKind::in_use;
    default:
        return SocketErrorKind::other;
    }
}

// WSAEACCES here means a port held for exclusive use by another program: in use, not
// a question of privilege.
BindResult bind_socket(SocketHandle socket, const SocketAddress& local)
{
    const sockaddr_in address = to_native(local);
    return ::bind(native(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
               ? BindResult::bound
               : BindResult::failed;
}

bool connect_socket(SocketHandle socket, const SocketAddress& remote)
{
    const sockaddr_in address = to_native(remote);
    return ::connect(native(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool local_address_of(SocketHandle socket, SocketAddress& local)
{
    sockaddr_in address{};
    int address_length = sizeof address;
    if (::getsockname(native(socket), reinterpret_cast<sockaddr*>(&address), &address_length) != 0 ||
        address.sin_family != AF_INET)
        return false;
    local = SocketAddress{address_family_ipv4, address.sin_port, address.sin_addr.s_addr};
    return true;
}

long send_bytes(SocketHandle socket, const void* bytes, std::size_t length)
{
    return ::send(native(socket), static_cast<const char*>(bytes), clamp_length(length), 0);
}

long receive_bytes(SocketHandle socket, void* buffer, std::size_t capacity)
{
    return ::recv(native(socket), static_cast<char*>(buffer), clamp_length(capacity), 0);
}

long send_datagram(SocketHandle socket, const void* bytes, std::size_t length, const SocketAddress& to)
{
    const sockaddr_in address = to_native(to);
    return ::sendto(native(socket), static_cast<const char*>(bytes), clamp_length(length), 0,
                    reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

long receive_datagram(SocketHandle socket, void* buffer, std::size_t capacity, SocketAddress& from)
{
    sockaddr_in address{};
    int address_length = sizeof address;
    const int received = ::recvfrom(native(socket), static_cast<char*>(buffer), clamp_length(capacity), 0,
                                    reinterpret_cast<sockaddr*>(&address), &address_length);
    from = SocketAddress{};
    if (received >= 0 && address.sin_family == AF_INET) {
        from.family = address_family_ipv4;
        from.port = address.sin_port;
        from.address = address.sin_addr.s_addr;
    }
    return received;
}

Readiness wait_readable(SocketHandle socket, unsigned timeout_ms)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(native(socket), &readable);
    timeval timeout{static_cast<long>(timeout_ms / 1000), static_cast<long>(timeout_ms % 1000) * 1000};
    const int ready = ::select(0, &readable, nullptr, nullptr, &timeout);
    if (ready > 0) return Readiness::readable;
    return ready == 0 ? Readiness::timed_out : Readiness::failed;
}

bool set_receive_time_limit(SocketHandle socket, unsigned timeout_ms)
{
    const DWORD limit = timeout_ms;
    return ::setsockopt(native(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit) ==
           0;
}

std::uint32_t host_to_network(std::uint32_t value) { return htonl(value); }
std::uint16_t host_to_network(std::uint16_t value) { return htons(value); }
std::uint32_t network_to_host(std::uint32_t value) { return ntohl(value); }
std::uint16_t network_to_host(std::uint16_t value) { return ntohs(value); }

}  // namespace voq::platform
