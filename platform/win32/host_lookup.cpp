#include "platform/host_lookup.h"

#include <winsock2.h>

#include <cstring>

#include "platform/socket.h"

namespace voq::platform {

LookedUp look_up_ipv4(const std::string& name)
{
    const hostent* found = ::gethostbyname(name.c_str());
    if (found == nullptr || found->h_addrtype != AF_INET || found->h_addr_list[0] == nullptr)
        return {0, socket_error_text(::WSAGetLastError())};
    in_addr first{};
    std::memcpy(&first, found->h_addr_list[0], sizeof first);
    return {ntohl(first.s_addr), ""};
}

bool takes_connection(std::uint32_t address, std::uint16_t port, unsigned timeout_ms)
{
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket == INVALID_SOCKET) return false;
    u_long non_blocking = 1;
    ::ioctlsocket(socket, FIONBIO, &non_blocking);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(port);
    remote.sin_addr.s_addr = htonl(address);
    bool connected = ::connect(socket, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0;
    if (!connected && ::WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket, &writable);
        FD_SET(socket, &failed);
        timeval limit{static_cast<long>(timeout_ms / 1000), static_cast<long>(timeout_ms % 1000) * 1000};
        // Winsock tells a refused connection in the failed set, a made one in the writable.
        connected = ::select(0, nullptr, &writable, &failed, &limit) > 0 && FD_ISSET(socket, &writable);
    }
    ::closesocket(socket);
    return connected;
}

}  // namespace voq::platform
