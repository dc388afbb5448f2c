#include "sim/md5_reference.h"

#include <cmath>
#include <vector>

namespace voq::sim {

namespace {

// RFC 1321 section 3.4: the constants are the integer parts of 2^32 times the
// absolute sines of 1 to 64 (radians), which a double gives exactly enough.
std::array<std::uint32_t, 64> sine_table()
{
    std::array<std::uint32_t, 64> table{};
    for (int i = 0; i < 64; ++i)
        table[i] = static_cast<std::uint32_t>(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
    return table;
}

constexpr std::uint32_t rotate_left(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

std::array<std::uint8_t, 16> md5_bytes(std::string_view message)
{
    static const std::array<std::uint32_t, 64> k = sine_table();
    static constexpr int shifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

    // The whole message padded at once: 0x80, zeros to 56 modulo 64, the bit length
    // as 64 bits little-endian.
    std::vector<std::uint8_t> padded(message.begin(), message.end());
    padded.push_back(0x80);
    while (padded.size() % 64 != 56) padded.push_back(0);
    const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
    for (int byte = 0; byte < 8; ++byte) padded.push_back(static_cast<std::uint8_t>(bits >> (8 * byte)));

    std::uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    for (std::size_t chunk = 0; chunk < padded.size(); chunk += 64) {
        std::uint32_t words[16];
        for (int w = 0; w < 16; ++w) {
            const std::uint8_t* p = &padded[chunk + 4 * w];
            words[w] = p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
        }
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        for (int i = 0; i < 64; ++i) {
            const int round = i / 16;
            std::uint32_t f = 0;
            int g = 0;
            switch (round) {
            case 0:
                f = (b & c) | (~b & d);
                g = i;
                break;
            case 1:
                f = (d & b) | (~d & c);
                g = (5 * i + 1) % 16;
                break;
            case 2:
                f = b ^ c ^ d;
                g = (3 * i + 5) % 16;
                break;
            default:
                f = c ^ (b | ~d);
                g = (7 * i) % 16;
                break;
            }
            const std::uint32_t rotated = rotate_left(a + f + k[i] + words[g], shifts[round][i % 4]);
            a = d;
            d = c;
            c = b;
            b = b + rotated;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
    }
    std::array<std::uint8_t, 16> digest{};
    for (int i = 0; i < 16; ++i) digest[i] = static_cast<std::uint8_t>(state[i / 4] >> (8 * (i % 4)));
    return digest;
}

std::string md5_hex_of(std::string_view message)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t byte : md5_bytes(message)) {
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 15]);
    }
    return hex;
}

}  // namespace voq::sim
