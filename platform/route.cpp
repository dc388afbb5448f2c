#include "platform/route.h"

#include "platform/socket.h"

namespace voq::platform {

std::uint32_t source_address_towards(std::uint32_t address)
{
    Socket probe(open_datagram_socket());
    if (!probe.valid()) return 0;
    // Connecting a datagram socket sends nothing; it only chooses the route.
    const SocketAddress remote{address_family_ipv4, host_to_network(std::uint16_t{80}), host_to_network(address)};
    SocketAddress local;
    if (!connect_socket(probe.handle(), remote) || !local_address_of(probe.handle(), local)) return 0;
    return network_to_host(local.address);
}

}  // namespace voq::platform
