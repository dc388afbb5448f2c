#pragma once

#include <cstdint>

#include "platform/socket.h"

namespace voq::platform {

// The one place where host-order addresses and ports meet network byte order.
platform::SocketAddress fill_socket_address(std::uint32_t address, std::uint16_t port);

struct Endpoint {
    std::uint32_t address;
    std::uint16_t port;
    friend bool operator==(const Endpoint&, const Endpoint&) = default;
};

Endpoint read_socket_address(const platform::SocketAddress& address);

}  // namespace voq::platform
