#include "web/md5.h"

#include <gtest/gtest.h>

#include <string>

#include "support/rfc1321.h"

namespace voq::web {
namespace {

std::string hex_of(std::string_view text) { return std::string(hex_view(md5_hex(md5(text)))); }

TEST(Md5, RfcTestSuite)
{
    for (const auto& answer : test::rfc1321_suite) {
        SCOPED_TRACE(std::string("\"") + answer.message + "\"");
        EXPECT_EQ(hex_of(answer.message), answer.digest);
    }
}

TEST(Md5, AnySplitOfTheInputGivesTheSameDigest)
{
    // Lengths around the 56-byte padding edge and the 64-byte block.
    for (const std::size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u}) {
        std::string input;
        for (std::size_t k = 0; k < length; ++k) input.push_back(static_cast<char>('!' + k % 90));
        const std::string whole = hex_of(input);
        for (const std::size_t piece : {1u, 3u, 7u, 63u, 64u, 65u}) {
            SCOPED_TRACE("length " + std::to_string(length) + " in pieces of " + std::to_string(piece));
            Md5Context context;
            md5_init(context);
            for (std::size_t at = 0; at < input.size(); at += piece)
                md5_update(context, std::string_view(input).substr(at, piece));
            EXPECT_EQ(std::string(hex_view(md5_hex(md5_final(context)))), whole);
        }
    }
}

TEST(Md5, MillionAs)
{
    Md5Context context;
    md5_init(context);
    const std::string thousand(1000, 'a');
    for (int k = 0; k < 1000; ++k) md5_update(context, thousand);
    EXPECT_EQ(std::string(hex_view(md5_hex(md5_final(context)))), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Md5, FinalWipesTheContext)
{
    Md5Context context;
    md5_init(context);
    md5_update(context, "Circle Of Life");
    md5_final(context);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&context);
    EXPECT_TRUE(std::all_of(bytes, bytes + sizeof context, [](unsigned char b) { return b == 0; }));
}

TEST(Md5Hex, LowerCaseHighNibbleFirst)
{
    Md5Digest digest{};
    digest[0] = 0xab;
    digest[15] = 0x0f;
    const Md5Hex hex = md5_hex(digest);
    EXPECT_EQ(std::string(hex.data()), "ab00000000000000000000000000000f");
    EXPECT_EQ(hex[32], '\0');
}

}  // namespace
}  // namespace voq::web
