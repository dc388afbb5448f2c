#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "firmware/resource_ids.h"

namespace voq::fw {

inline constexpr std::size_t header_size = 128;
inline constexpr std::size_t identification_length = 16;
inline constexpr std::size_t version_offset = 92;

// Block numbers and the upload progress range are 16 bits wide, so an image must fit
// in 65535 blocks of 512 bytes.
inline constexpr std::uint64_t image_size_limit = 65535ull * 512;

// Resource ids under which the images travel in the program.
inline constexpr int target_image_id = VOQ_TARGET_IMAGE_RESOURCE;
inline constexpr int transition_image_id = VOQ_TRANSITION_IMAGE_RESOURCE;

using Header = std::array<std::uint8_t, header_size>;

// An embedded image: a read-only view of all its bytes, used in place, and a copy of
// its header.
struct FirmwareImage {
    std::span<const std::uint8_t> bytes;
    std::uint32_t size = 0;
    Header header{};
};

enum class ImageFault {
    none,
    shorter_than_header,
    version_not_terminated,
    too_large,
};

// Whether bytes can be carried as an image: a whole header whose version text ends
// inside it, and few enough blocks for the transfer to number them.
ImageFault check_image(std::span<const std::uint8_t> bytes);

std::string_view describe(ImageFault fault);

// Takes a checked image's bytes as they are.
FirmwareImage read_image(std::span<const std::uint8_t> bytes);

// The version text at offset 92 of the header, up to its zero byte (or the end of
// the header, should an image without one ever get here).
std::string_view version_text(const Header& header);
inline std::string_view version_text(const FirmwareImage& image) { return version_text(image.header); }

// Whether a device that reports this version runs the image whose version text is
// expected: the text byte for byte, case and the letters in brackets included, so
// "2.0.13" is not "2.0.13(g)" although they count alike. Every reading of "the device
// runs the tool's firmware" goes through here, before an upgrade as after it.
bool same_version(std::string_view reported, std::string_view expected);

// The target image once the stage flag is set, the transition image before.
const FirmwareImage& image_to_serve(int stage_flag, const FirmwareImage& target, const FirmwareImage& transition);

}  // namespace voq::fw
