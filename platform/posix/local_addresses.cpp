#include "platform/local_addresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace voq::platform {

namespace {

std::uint32_t host_order_of(const sockaddr* address)
{
    return ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

// Each IPv4 address of each interface, as the system lists them.
template <typename Visit>
void visit_ipv4_interfaces(Visit visit)
{
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0) return;
    for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        visit(*entry);
    }
    ::freeifaddrs(interfaces);
}

}  // namespace

std::vector<std::uint32_t> local_ipv4_addresses()
{
    std::vector<InterfaceAddress> found;
    visit_ipv4_interfaces([&](const ifaddrs& entry) {
        found.push_back(
            {host_order_of(entry.ifa_addr), (entry.ifa_flags & IFF_UP) != 0, (entry.ifa_flags & IFF_LOOPBACK) != 0});
    });
    return order_local_addresses(found);
}

std::optional<std::uint32_t> netmask_of(std::uint32_t address)
{
    std::vector<InterfaceNetwork> networks;
    visit_ipv4_interfaces([&](const ifaddrs& entry) {
        if (entry.ifa_netmask != nullptr)
            networks.push_back({host_order_of(entry.ifa_addr), host_order_of(entry.ifa_netmask)});
    });
    return netmask_for(networks, address);
}

}  // namespace voq::platform
