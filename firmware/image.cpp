#include "firmware/image.h"

#include <algorithm>
#include <cstring>

namespace voq::fw {

ImageFault check_image(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < header_size) return ImageFault::shorter_than_header;
    if (bytes.size() >= image_size_limit) return ImageFault::too_large;
    const auto version = bytes.subspan(version_offset, header_size - version_offset);
    if (std::find(version.begin(), version.end(), std::uint8_t{0}) == version.end())
        return ImageFault::version_not_terminated;
    return ImageFault::none;
}

std::string_view describe(ImageFault fault)
{
    switch (fault) {
    case ImageFault::none:
        return "a usable image";
    case ImageFault::shorter_than_header:
        return "shorter than its 128-byte header";
    case ImageFault::version_not_terminated:
        return "its version text (offset 92) has no zero byte inside the 128-byte header";
    case ImageFault::too_large:
        return "33553920 bytes or more: too many 512-byte blocks to number";
    }
    return "unknown fault";
}

FirmwareImage read_image(std::span<const std::uint8_t> bytes)
{
    FirmwareImage image;
    image.bytes = bytes;
    image.size = static_cast<std::uint32_t>(bytes.size());
    std::copy_n(bytes.begin(), std::min(bytes.size(), header_size), image.header.begin());
    return image;
}

std::string_view version_text(const Header& header)
{
    const auto* begin = reinterpret_cast<const char*>(header.data() + version_offset);
    const std::size_t room = header_size - version_offset;
    const void* nul = std::memchr(begin, '\0', room);
    return {begin, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : room};
}

const FirmwareImage& image_to_serve(int stage_flag, const FirmwareImage& target, const FirmwareImage& transition)
{
    return stage_flag != 0 ? target : transition;
}

bool same_version(std::string_view reported, std::string_view expected) { return reported == expected; }

}  // namespace voq::fw
