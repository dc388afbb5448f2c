#pragma once

#include <cstdint>
#include <string>

namespace voq::platform {

// A host name's IPv4 address by the system's resolver (hosts file, DNS, whatever the
// system is set up to ask); the resolver's own words when it gives none.
struct LookedUp {
    std::uint32_t address = 0;  // host byte order; 0 with a reason
    std::string reason;
};

LookedUp look_up_ipv4(const std::string& name);

// Whether address takes a TCP connection on port within timeout_ms. Nothing is sent:
// the connection is closed as soon as it is made.
bool takes_connection(std::uint32_t address, std::uint16_t port, unsigned timeout_ms);

}  // namespace voq::platform
