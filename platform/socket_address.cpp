#include "platform/socket_address.h"

namespace voq::platform {

platform::SocketAddress fill_socket_address(std::uint32_t address, std::uint16_t port)
{
    return {platform::address_family_ipv4, platform::host_to_network(port), platform::host_to_network(address)};
}

Endpoint read_socket_address(const platform::SocketAddress& address)
{
    return {platform::network_to_host(address.address), platform::network_to_host(address.port)};
}

}  // namespace voq::platform
