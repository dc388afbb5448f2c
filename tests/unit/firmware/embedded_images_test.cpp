#include "firmware/embedded.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "firmware/image.h"
#include "support/files.h"

namespace voq::fw {
namespace {

TEST(EmbeddedImages, AreTheImageFilesByteForByte)
{
    const struct {
        int id;
        const char* file;
    } images[] = {{target_image_id, VOQ_TARGET_IMAGE_FILE}, {transition_image_id, VOQ_TRANSITION_IMAGE_FILE}};
    for (const auto& image : images) {
        SCOPED_TRACE(image.file);
        const std::vector<std::uint8_t> expected = test::read_file_bytes(image.file);
        const std::span<const std::uint8_t> embedded = embedded_image(image.id);
        ASSERT_EQ(embedded.size(), expected.size());
        EXPECT_TRUE(std::equal(embedded.begin(), embedded.end(), expected.begin()));
    }
}

#if VOQ_PLACEHOLDER_IMAGES
TEST(EmbeddedImages, PlaceholdersHaveTheShippedSizesAndHeaders)
{
    const FirmwareImage target = read_image(embedded_image(target_image_id));
    const FirmwareImage transition = read_image(embedded_image(transition_image_id));
    EXPECT_EQ(target.size, 734916u);
    EXPECT_EQ(transition.size, 730800u);
    EXPECT_EQ(std::string(target.header.begin(), target.header.begin() + 16), "VoQ3300 FiRmWaRe");
    EXPECT_EQ(std::string(transition.header.begin(), transition.header.begin() + 16), "VoQ3101 FiRmWaRe");
    EXPECT_EQ(version_text(target), "2.0.13(g)");
    EXPECT_EQ(version_text(transition), "2.0.12(SE)");
}
#endif

TEST(EmbeddedImages, UnknownIdGivesNothing) { EXPECT_TRUE(embedded_image(113).empty()); }

}  // namespace
}  // namespace voq::fw
