#include "web/md5.h"

#include <cstring>

namespace voq::web {

namespace {

constexpr std::uint32_t rotate_left(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

constexpr std::uint32_t f(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (x & y) | (~x & z); }
constexpr std::uint32_t g(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (x & z) | (y & ~z); }
constexpr std::uint32_t h(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; }
constexpr std::uint32_t i(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); }

// RFC 1321, section 3.4: per step the message word, the shift and the sine constant.
constexpr std::array<int, 64> shift = {
    7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 5,  9,  14, 20, 5,  9,
    14, 20, 5,  9,  14, 20, 5,  9,  14, 20, 4,  11, 16, 23, 4,  11, 16, 23, 4,  11, 16, 23,
    4,  11, 16, 23, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21,
};

constexpr std::array<std::uint32_t, 64> sine = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

constexpr std::size_t word_index(std::size_t step)
{
    switch (step / 16) {
    case 0:
        return step;
    case 1:
        return (5 * step + 1) % 16;
    case 2:
        return (3 * step + 5) % 16;
    default:
        return (7 * step) % 16;
    }
}

void transform(std::array<std::uint32_t, 4>& state, const std::uint8_t* block)
{
    std::uint32_t words[16];
    for (std::size_t w = 0; w < 16; ++w) {
        words[w] = static_cast<std::uint32_t>(block[4 * w]) | static_cast<std::uint32_t>(block[4 * w + 1]) << 8 |
                   static_cast<std::uint32_t>(block[4 * w + 2]) << 16 |
                   static_cast<std::uint32_t>(block[4 * w + 3]) << 24;
    }
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (std::size_t step = 0; step < 64; ++step) {
        const std::uint32_t mixed = step < 16   ? f(b, c, d)
                                    : step < 32 ? g(b, c, d)
                                    : step < 48 ? h(b, c, d)
                                                : i(b, c, d);
        const std::uint32_t rotated = rotate_left(a + mixed + words[word_index(step)] + sine[step], shift[step]);
        a = d;
        d = c;
        c = b;
        b = b + rotated;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    std::memset(words, 0, sizeof words);
}

}  // namespace

void md5_init(Md5Context& context)
{
    context.state = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    context.count_low = 0;
    context.count_high = 0;
    context.buffer.fill(0);
}

void md5_update(Md5Context& context, const void* bytes, std::size_t length)
{
    if (length == 0) return;  // bytes may then be null
    const auto* input = static_cast<const std::uint8_t*>(bytes);
    std::size_t buffered = (context.count_low >> 3) & 63;

    const std::uint64_t bits = static_cast<std::uint64_t>(length) << 3;
    const std::uint32_t before = context.count_low;
    context.count_low += static_cast<std::uint32_t>(bits);
    context.count_high += static_cast<std::uint32_t>(bits >> 32) + (context.count_low < before ? 1 : 0);

    if (buffered > 0) {
        const std::size_t room = 64 - buffered;
        if (length < room) {
            std::memcpy(context.buffer.data() + buffered, input, length);
            return;
        }
        std::memcpy(context.buffer.data() + buffered, input, room);
        transform(context.state, context.buffer.data());
        input += room;
        length -= room;
        buffered = 0;
    }
    for (; length >= 64; input += 64, length -= 64) transform(context.state, input);
    if (length > 0) std::memcpy(context.buffer.data(), input, length);
}

Md5Digest md5_final(Md5Context& context)
{
    std::uint8_t length_bytes[8];
    for (int k = 0; k < 4; ++k) {
        length_bytes[k] = static_cast<std::uint8_t>(context.count_low >> (8 * k));
        length_bytes[k + 4] = static_cast<std::uint8_t>(context.count_high >> (8 * k));
    }
    const std::size_t buffered = (context.count_low >> 3) & 63;
    const std::size_t padding = buffered < 56 ? 56 - buffered : 120 - buffered;
    static constexpr std::uint8_t pad[64] = {0x80};
    md5_update(context, pad, padding);
    md5_update(context, length_bytes, sizeof length_bytes);

    Md5Digest digest;
    for (std::size_t w = 0; w < 4; ++w) {
        for (std::size_t k = 0; k < 4; ++k) digest[4 * w + k] = static_cast<std::uint8_t>(context.state[w] >> (8 * k));
    }
    // The context held key material (passwords pass through here).
    volatile auto* wipe = reinterpret_cast<volatile std::uint8_t*>(&context);
    for (std::size_t k = 0; k < sizeof context; ++k) wipe[k] = 0;
    return digest;
}

Md5Hex md5_hex(const Md5Digest& digest)
{
    static constexpr char digits[] = "0123456789abcdef";
    Md5Hex hex{};
    for (std::size_t k = 0; k < digest.size(); ++k) {
        hex[2 * k] = digits[digest[k] >> 4];
        hex[2 * k + 1] = digits[digest[k] & 15];
    }
    hex[32] = '\0';
    return hex;
}

Md5Digest md5(std::string_view text)
{
    Md5Context context;
    md5_init(context);
    md5_update(context, text);
    return md5_final(context);
}

}  // namespace voq::web
