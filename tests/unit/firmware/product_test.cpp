#include "firmware/product.h"

#include <gtest/gtest.h>

#include <string>

namespace voq::fw {
namespace {

Header header_beginning(std::string_view identification)
{
    Header header{};
    std::copy_n(identification.begin(), std::min(identification.size(), header.size()), header.begin());
    return header;
}

TEST(IdentifyProduct, FirstMatchingRowInAnyLetterCase)
{
    const struct {
        std::string identification;
        std::string display_name;
        int phone_style;
    } cases[] = {
        {"VoQ3300 FiRmWaRe", "VOQ-3100/3300", 0},  // the shipped target image
        {"VoQ3101 FiRmWaRe", "VOQ-3101", 0},
        {"voq4500", "VOQ-4500", 0},
        {"VOQ4500 FIRMWARE", "VOQ-4500", 0},
        {"vOq4500", "VOQ-4500", 0},
        {"voq45001", "VOQ-4500", 0},  // only the tag's own length is compared
        {"quorix", "VOQ-618", 1},
        {"QUORIXa firmware", "VOQ-618", 1},  // six letters compared, the seventh ignored
        {"voq5200", "VOQ-5200", 1},
        {"VOQ5200 FiRmWaRe", "VOQ-5200", 1},
        {"voq450", "ODM-Product", 0},  // one letter short of the tag
        {"voq 4500", "ODM-Product", 0},
        {"quori", "ODM-Product", 0},
        {"", "ODM-Product", 0},
        {"\xd6OQ4500", "ODM-Product", 0},  // only ASCII letters fold
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("identification \"" + c.identification + "\"");
        const ProductProfile& profile = identify_product(header_beginning(c.identification));
        EXPECT_EQ(profile.display_name, c.display_name);
        EXPECT_EQ(profile.phone_style, c.phone_style);
    }
}

}  // namespace
}  // namespace voq::fw
