#include "firmware/placeholder.h"

#include <algorithm>

#include "firmware/image.h"

namespace voq::fw {

namespace {

std::uint32_t body_seed(std::string_view identification)
{
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : identification) hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
    return hash | 1u;
}

}  // namespace

std::vector<std::uint8_t> make_placeholder_image(std::uint32_t size, std::string_view identification,
                                                 std::string_view version)
{
    std::vector<std::uint8_t> image(size, 0);

    std::uint32_t state = body_seed(identification);
    for (std::size_t i = header_size; i < image.size(); ++i) {
        state ^= state << 13;  // xorshift32
        state ^= state >> 17;
        state ^= state << 5;
        image[i] = static_cast<std::uint8_t>(state >> 24);
    }

    const auto put = [&](std::size_t offset, std::string_view text, std::size_t room) {
        const std::size_t length = std::min({text.size(), room, image.size() > offset ? image.size() - offset : 0});
        std::copy_n(text.begin(), length, image.begin() + static_cast<std::ptrdiff_t>(offset));
    };
    put(0, identification, identification_length);
    put(version_offset, version, header_size - version_offset - 1);
    return image;
}

}  // namespace voq::fw
