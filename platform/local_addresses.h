#pragma once

#include <cstdint>
#include <optional>
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

// The netmask of the interface whose network holds address (host order), for telling
// a user that a device lies outside the PC's network.
std::optional<std::uint32_t> netmask_of(std::uint32_t address);

struct InterfaceNetwork {
    std::uint32_t address;
    std::uint32_t netmask;
};

// The interface that has the address itself decides; else the first whose network
// holds it, in the order the system lists them.
std::optional<std::uint32_t> netmask_for(std::span<const InterfaceNetwork> interfaces, std::uint32_t address);

}  // namespace voq::platform
