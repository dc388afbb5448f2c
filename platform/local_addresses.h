#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace voq::platform {

// The PC's own IPv4 addresses in host order, in a stable order whose first entry is
// the sensible default: on Windows the host name's addresses in resolver order; on
// Linux the interfaces that are up, non-loopback ones first in interface order and
// loopback last.
std::vector<std::uint32_t> local_ipv4_addresses();

struct InterfaceAddress {
    std::uint32_t address;
    bool up;
    bool loopback;
};

// The Linux order, from the interfaces' IPv4 addresses as the system lists them.
std::vector<std::uint32_t> order_local_addresses(std::span<const InterfaceAddress> interfaces);

}  // namespace voq::platform
