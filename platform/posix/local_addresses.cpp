#include "platform/local_addresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace voq::platform {

std::vector<std::uint32_t> local_ipv4_addresses()
{
    std::vector<InterfaceAddress> found;
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0) return {};
    for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        found.push_back({ntohl(ipv4->sin_addr.s_addr), (entry->ifa_flags & IFF_UP) != 0,
                         (entry->ifa_flags & IFF_LOOPBACK) != 0});
    }
    ::freeifaddrs(interfaces);
    return order_local_addresses(found);
}

}  // namespace voq::platform
