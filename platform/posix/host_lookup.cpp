#include "platform/host_lookup.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/clock.h"

namespace voq::platform {

LookedUp look_up_ipv4(const std::string& name)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    if (result != 0) return {0, result == EAI_SYSTEM ? std::string(std::strerror(errno)) : ::gai_strerror(result)};
    const auto* first = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    const std::uint32_t address = ntohl(first->sin_addr.s_addr);
    ::freeaddrinfo(found);
    return {address, ""};
}

bool takes_connection(std::uint32_t address, std::uint16_t port, unsigned timeout_ms)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket < 0) return false;
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(port);
    remote.sin_addr.s_addr = htonl(address);
    bool connected = ::connect(socket, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0;
    if (!connected && errno == EINPROGRESS) {
        const std::uint32_t start = milliseconds();
        pollfd watched{socket, POLLOUT, 0};
        int ready = 0;
        // A signal cuts the wait short; the rest of it is waited out.
        for (std::uint32_t spent = 0; spent < timeout_ms; spent = milliseconds() - start) {
            ready = ::poll(&watched, 1, static_cast<int>(timeout_ms - spent));
            if (ready >= 0 || errno != EINTR) break;
        }
        int error = 0;
        socklen_t length = sizeof error;
        connected = ready > 0 && ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    ::close(socket);
    return connected;
}

}  // namespace voq::platform
