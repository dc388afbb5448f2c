#include "session/fixed_text.h"

#include <gtest/gtest.h>

#include <string>

namespace voq {
namespace {

TEST(FixedText, CutsALongerTextToTheFieldAndKeepsItTerminated)
{
    FixedText<16> text;
    for (const std::size_t length : {0u, 1u, 14u, 15u, 16u, 17u, 400u}) {
        SCOPED_TRACE(length);
        const std::string given(length, 'x');
        text.assign(given);
        EXPECT_EQ(text.view(), given.substr(0, 15));
        EXPECT_EQ(text.bytes[text.view().size()], '\0');
    }
}

TEST(FixedText, AShorterTextReplacesALongerOne)
{
    FixedText<8> text;
    text.assign("abcdefg");
    text.assign("xy");
    EXPECT_EQ(text.view(), "xy");
    EXPECT_STREQ(text.c_str(), "xy");
}

}  // namespace
}  // namespace voq
