#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace voq::fw {

// A stand-in for a real firmware image, for builds and tests: the identification at
// offset 0, the version text and its zero byte at offset 92, and a body that is the
// same at every build but differs from block to block, so that a block served twice
// or out of order shows up in a byte-for-byte comparison.
// identification is cut to 16 bytes and version to 35 characters.
std::vector<std::uint8_t> make_placeholder_image(std::uint32_t size, std::string_view identification,
                                                 std::string_view version);

}  // namespace voq::fw
