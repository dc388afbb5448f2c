#include "firmware/image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "firmware/placeholder.h"

namespace voq::fw {
namespace {

std::vector<std::uint8_t> image_with_version(std::size_t size, std::string_view version)
{
    std::vector<std::uint8_t> bytes(size, 'x');
    std::fill(bytes.begin() + version_offset, bytes.begin() + std::min(size, header_size), 0xff);
    std::memcpy(bytes.data() + version_offset, version.data(), version.size());
    bytes[version_offset + version.size()] = 0;
    return bytes;
}

TEST(CheckImage, RefusesWhatCannotBeCarried)
{
    std::vector<std::uint8_t> no_zero(200, 'x');
    std::vector<std::uint8_t> zero_at_header_end(128, 'x');
    zero_at_header_end[127] = 0;
    std::vector<std::uint8_t> zero_after_header(200, 'x');
    zero_after_header[128] = 0;
    std::vector<std::uint8_t> zero_before_version(200, 'x');
    zero_before_version[91] = 0;

    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        ImageFault fault;
    } cases[] = {
        {"empty", {}, ImageFault::shorter_than_header},
        {"127 bytes", image_with_version(127, "1"), ImageFault::shorter_than_header},
        {"header only", image_with_version(128, "1.0"), ImageFault::none},
        {"35-character version", image_with_version(300, std::string(35, 'v')), ImageFault::none},
        {"zero at the header's last byte", zero_at_header_end, ImageFault::none},
        {"no zero byte at all", no_zero, ImageFault::version_not_terminated},
        {"zero only after the header", zero_after_header, ImageFault::version_not_terminated},
        {"zero only before offset 92", zero_before_version, ImageFault::version_not_terminated},
        {"largest numberable size", image_with_version(33553919, "2"), ImageFault::none},
        {"65535 full blocks", image_with_version(33553920, "2"), ImageFault::too_large},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(check_image(c.bytes), c.fault);
    }
}

TEST(ReadImage, ViewsTheBytesInPlaceAndCopiesTheHeader)
{
    const auto bytes = make_placeholder_image(1000, "VoQ3300 FiRmWaRe", "2.0.13(g)");
    const FirmwareImage image = read_image(bytes);
    EXPECT_EQ(image.bytes.data(), bytes.data());
    EXPECT_EQ(image.size, 1000u);
    EXPECT_TRUE(std::equal(image.header.begin(), image.header.end(), bytes.begin()));
    EXPECT_EQ(version_text(image), "2.0.13(g)");
}

TEST(VersionText, StaysInsideTheHeader)
{
    Header header{};
    std::fill(header.begin() + version_offset, header.end(), 'v');
    EXPECT_EQ(version_text(header), std::string(header_size - version_offset, 'v'));
    header[version_offset] = 0;
    EXPECT_EQ(version_text(header), "");
}

TEST(ImageToServe, TargetOnceTheStageFlagIsSet)
{
    FirmwareImage target, transition;
    target.size = 1;
    transition.size = 2;
    EXPECT_EQ(&image_to_serve(1, target, transition), &target);
    EXPECT_EQ(&image_to_serve(0, target, transition), &transition);
}

}  // namespace
}  // namespace voq::fw
