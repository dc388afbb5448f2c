#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace voq::web {

// MD5 as RFC 1321 defines it.
struct Md5Context {
    std::array<std::uint32_t, 4> state;
    std::uint32_t count_low;   // bits of input so far, low word
    std::uint32_t count_high;  // and high word
    std::array<std::uint8_t, 64> buffer;
};

using Md5Digest = std::array<std::uint8_t, 16>;
// 32 lower-case hexadecimal characters and a NUL.
using Md5Hex = std::array<char, 33>;

void md5_init(Md5Context& context);
void md5_update(Md5Context& context, const void* bytes, std::size_t length);
inline void md5_update(Md5Context& context, std::string_view text) { md5_update(context, text.data(), text.size()); }
// Gives the digest and wipes the context.
Md5Digest md5_final(Md5Context& context);

Md5Hex md5_hex(const Md5Digest& digest);
inline std::string_view hex_view(const Md5Hex& hex) { return {hex.data(), 32}; }

Md5Digest md5(std::string_view text);

}  // namespace voq::web
