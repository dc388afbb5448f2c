#pragma once

#include <cstdint>

namespace voq::platform {

// The PC address through which the system would reach address (the source address
// a datagram socket connected to it gets), or 0 when there is no route.
std::uint32_t source_address_towards(std::uint32_t address);

}  // namespace voq::platform
