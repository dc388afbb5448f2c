#include "firmware/placeholder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "firmware/image.h"

namespace voq::fw {
namespace {

TEST(PlaceholderImage, CarriesTheHeaderFieldsAndPassesTheCheck)
{
    const auto image = make_placeholder_image(734916, "VoQ3300 FiRmWaRe", "2.0.13(g)");
    ASSERT_EQ(image.size(), 734916u);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 16), "VoQ3300 FiRmWaRe");
    EXPECT_EQ(version_text(read_image(image)), "2.0.13(g)");
    EXPECT_EQ(check_image(image), ImageFault::none);
}

TEST(PlaceholderImage, IsTheSameEveryTimeAndDiffersFromBlockToBlock)
{
    const auto first = make_placeholder_image(64 * 512, "VoQ3101 FiRmWaRe", "2.0.12(SE)");
    EXPECT_EQ(first, make_placeholder_image(64 * 512, "VoQ3101 FiRmWaRe", "2.0.12(SE)"));
    EXPECT_NE(first, make_placeholder_image(64 * 512, "VoQ3300 FiRmWaRe", "2.0.12(SE)"));

    std::set<std::string> blocks;
    for (std::size_t offset = 512; offset < first.size(); offset += 512)
        blocks.emplace(first.begin() + static_cast<long>(offset), first.begin() + static_cast<long>(offset + 512));
    EXPECT_EQ(blocks.size(), 63u);
}

TEST(PlaceholderImage, CutsLongFieldsToTheHeader)
{
    const auto image = make_placeholder_image(128, std::string(40, 'i'), std::string(60, 'v'));
    EXPECT_EQ(image[16], 0);
    EXPECT_EQ(version_text(read_image(image)), std::string(35, 'v'));
    EXPECT_EQ(check_image(image), ImageFault::none);
}

}  // namespace
}  // namespace voq::fw
