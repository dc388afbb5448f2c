#include "tftp/packet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace voq::tftp {
namespace {

std::vector<std::uint8_t> bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(OptionAcknowledgement, AlwaysTsizeThenTimeout5)
{
    std::array<std::uint8_t, packet_buffer_size> buffer{};
    const struct {
        std::uint32_t size;
        std::string packet;
    } cases[] = {
        {1000, std::string("\0\6tsize\0"
                           "1000\0timeout\0"
                           "5\0",
                           23)},
        {0, std::string("\0\6tsize\0"
                        "0\0timeout\0"
                        "5\0",
                        20)},
        {734916, std::string("\0\6tsize\0"
                             "734916\0timeout\0"
                             "5\0",
                             25)},
        {33553919, std::string("\0\6tsize\0"
                               "33553919\0timeout\0"
                               "5\0",
                               27)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        const std::size_t length = build_option_acknowledgement(buffer, c.size);
        EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + static_cast<long>(length)), c.packet);
    }
}

TEST(Data, BlockNumberInItsLow16BitsAndAtMost512Bytes)
{
    std::array<std::uint8_t, packet_buffer_size> buffer{};
    const std::vector<std::uint8_t> payload(600, 0xab);
    EXPECT_EQ(build_data(buffer, 0x10203, payload), 516u);
    EXPECT_EQ(std::vector<int>(buffer.begin(), buffer.begin() + 5), (std::vector<int>{0, 3, 2, 3, 0xab}));
    EXPECT_EQ(build_data(buffer, 3, {}), 4u);
}

TEST(ReceivedDatagrams, ReadOnlyWhatTheyHold)
{
    EXPECT_EQ(requested_file_name(bytes(std::string("\0\1/voq1.bi1\0octet\0", 19))), "/voq1.bi1");
    EXPECT_EQ(requested_file_name(bytes(std::string("\0\1\0", 3))), "");
    EXPECT_FALSE(requested_file_name(bytes(std::string("\0\1/voq1.bi1", 11))));  // no NUL inside
    EXPECT_FALSE(requested_file_name(bytes(std::string("\0\2/voq1.bi1\0", 12))));
    EXPECT_FALSE(requested_file_name(bytes(std::string("\0", 1))));

    EXPECT_EQ(acknowledged_block(bytes(std::string("\0\4\1\2", 4))), 0x102);
    EXPECT_EQ(acknowledged_block(bytes(std::string("\0\4\0\7trailing", 12))), 7);
    EXPECT_FALSE(acknowledged_block(bytes(std::string("\0\4\0", 3))));
    EXPECT_FALSE(acknowledged_block(bytes(std::string("\0\3\0\1", 4))));
    EXPECT_EQ(opcode_of(bytes(std::string("\0\5", 2))), 5);
    EXPECT_FALSE(opcode_of(bytes(std::string("\0", 1))));
}

}  // namespace
}  // namespace voq::tftp
