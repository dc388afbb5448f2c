#include "platform/local_addresses.h"

#include <winsock2.h>

#include <cstring>

namespace voq::platform {

std::vector<std::uint32_t> local_ipv4_addresses()
{
    std::vector<std::uint32_t> addresses;
    char host_name[128] = {};
    // The name's result is not checked: whatever the buffer holds is resolved, and a
    // name that does not resolve leaves the list empty.
    ::gethostname(host_name, 127);
    const hostent* host = ::gethostbyname(host_name);
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_length != 4) return addresses;
    for (char** entry = host->h_addr_list; *entry != nullptr; ++entry) {
        u_long address = 0;
        std::memcpy(&address, *entry, sizeof address);
        addresses.push_back(ntohl(address));
    }
    return addresses;
}

}  // namespace voq::platform
