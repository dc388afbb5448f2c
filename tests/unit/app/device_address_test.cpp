#include "app/device_address.h"

#include <gtest/gtest.h>

#include <string>

namespace voq::app {
namespace {

struct AddressCase {
    std::string text;
    AddressCode code;
    std::uint32_t address;
};

constexpr std::uint32_t address_1234 = 0x01020304;

TEST(ParseDeviceAddress, GivesTheCodeOfTheFirstFailingTest)
{
    const AddressCase cases[] = {
        {"1.2.3.4", AddressCode::accepted, address_1234},
        {"1*2*3*4", AddressCode::accepted, address_1234},
        {"1.2*3.4", AddressCode::accepted, address_1234},
        {"1..2.3.4", AddressCode::accepted, address_1234},
        {".1.2.3.4", AddressCode::accepted, address_1234},
        {"1.2.3.4.", AddressCode::accepted, address_1234},
        {"**1.2**3*.4", AddressCode::accepted, address_1234},
        {"001.002.003.004", AddressCode::accepted, address_1234},
        {"010.0.0.1", AddressCode::accepted, 0x0a000001},  // leading zeros are decimal
        {"192.168.1.200", AddressCode::accepted, 0xc0a801c8},
        {"255.255.255.255", AddressCode::accepted, 0xffffffff},
        {"0.0.0.0", AddressCode::accepted, 0},
        // Length comes first, whatever the text holds.
        {"", AddressCode::bad_length, 0},
        {"1.2.3", AddressCode::bad_length, 0},
        {"1.2.34", AddressCode::bad_length, 0},
        {"0001.002.003.004", AddressCode::bad_length, 0},
        {"a very long text!", AddressCode::bad_length, 0},
        // Then the character set.
        {" 1.2.3.4", AddressCode::bad_character, 0},
        {"1.2.3.4 ", AddressCode::bad_character, 0},
        {"1,2,3,4", AddressCode::bad_character, 0},
        {"+1.2.3.4", AddressCode::bad_character, 0},
        {"1.2.3.4a", AddressCode::bad_character, 0},
        {"10.0.0.-1", AddressCode::bad_character, 0},
        {"1.2.3.\xb4\xb4", AddressCode::bad_character, 0},
        // Then the groups, left to right.
        {".......", AddressCode::fewer_than_four_groups, 0},
        {"*******", AddressCode::fewer_than_four_groups, 0},
        {"12.3.45", AddressCode::fewer_than_four_groups, 0},
        {"1234567", AddressCode::group_above_255, 0},
        {"1.2.3.256", AddressCode::group_above_255, 0},
        {"256.2.3", AddressCode::group_above_255, 0},
        {"1.2.300.4.5", AddressCode::group_above_255, 0},
        {"1.2.3.4.5", AddressCode::more_than_four_groups, 0},
        {"1.2.3.4.999", AddressCode::more_than_four_groups, 0},
        {"999999999999999", AddressCode::group_above_255, 0},
    };
    for (const AddressCase& c : cases) {
        SCOPED_TRACE("text \"" + c.text + "\"");
        std::uint32_t address = 0xdeadbeef;
        EXPECT_EQ(parse_device_address(c.text, &address), c.code);
        EXPECT_EQ(address, c.address);
        EXPECT_EQ(parse_device_address(c.text, nullptr), c.code);
    }
}

TEST(ParseDeviceAddress, StopsCountingAtTheTerminator)
{
    // What the screen hands over is the text before its terminator.
    const char typed[] = "1.2.3.4\0garbage";
    std::uint32_t address = 0;
    EXPECT_EQ(parse_device_address(typed, &address), AddressCode::accepted);
    EXPECT_EQ(address, address_1234);
}

}  // namespace
}  // namespace voq::app
