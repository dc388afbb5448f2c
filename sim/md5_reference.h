#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace voq::sim {

// The simulated device's own MD5 (RFC 1321), written apart from the tool's so that
// a fault in one cannot hide in the other: the device checks what the tool signs.
std::array<std::uint8_t, 16> md5_bytes(std::string_view message);
std::string md5_hex_of(std::string_view message);

}  // namespace voq::sim
