#include "app/address_screen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/printers.h"

namespace voq::app {
namespace {

class AcceptTypedAddress : public ::testing::Test {
protected:
    void SetUp() override
    {
        seed_random(session->random, 1);  // first draw 41 (0x29)
        session->local_addresses = {0x0a000005, 0xc0a80005, 0, 0, 0, 0, 0, 0};
        session->expected_file_name.assign("before");
        session->selected_local_address = 0x0a000005;
    }
    std::unique_ptr<session::Session> session = std::make_unique<session::Session>(1);
};

TEST_F(AcceptTypedAddress, RefusedTextsKeepTheTextAndLeaveTheRestAlone)
{
    for (const std::string typed : {"0.0.0.0", "", "1.2.3", "1.2.3.4.5", "10.0.0.256", "ten.0.0.1"}) {
        SCOPED_TRACE(typed);
        session->device_address = 0x01020304;
        EXPECT_FALSE(accept_typed_address(*session, typed, 1));
        EXPECT_EQ(session->device_address, 0u);
        EXPECT_EQ(session->device_address_text, typed);
        EXPECT_EQ(session->expected_file_name.get(), "before");
        EXPECT_EQ(session->selected_local_address, 0x0a000005u);
    }
}

TEST_F(AcceptTypedAddress, AcceptedAddressNamesTheFileAndTakesTheChosenLocalAddress)
{
    EXPECT_TRUE(accept_typed_address(*session, "10.1.0.13", 1));
    EXPECT_EQ(session->device_address, 0x0a01000du);
    EXPECT_EQ(session->device_address_text, "10.1.0.13");
    EXPECT_EQ(session->expected_file_name.get(), "/voq29.bi1");
    EXPECT_EQ(session->selected_local_address, 0xc0a80005u);
}

TEST_F(AcceptTypedAddress, StagedBuildNamesTheFirstFileWithADigit0)
{
    session->stage_flag = 0;
    EXPECT_TRUE(accept_typed_address(*session, "1*2*3*4", 0));
    EXPECT_EQ(session->expected_file_name.get(), "/voq29.bi0");
}

TEST_F(AcceptTypedAddress, NoAddressToChooseTakesTheRouteToTheDevice)
{
    session->local_addresses.fill(0);
    EXPECT_TRUE(accept_typed_address(*session, "127.0.0.1", -1));
    EXPECT_EQ(session->selected_local_address, 0x7f000001u);
}

TEST_F(AcceptTypedAddress, KeepsAtMost62TypedCharacters)
{
    const std::string typed(80, '9');
    EXPECT_FALSE(accept_typed_address(*session, typed, 0));
    EXPECT_EQ(session->device_address_text.view(), typed.substr(0, 62));
}

TEST(ExpectedFileName, OneToFourLowerCaseHexDigits)
{
    auto session = std::make_unique<session::Session>(1);
    for (const std::uint32_t seed : {0u, 1u, 2u, 77u, 0xdeadbeefu}) {
        seed_random(session->random, seed);
        for (int draw = 0; draw < 200; ++draw) {
            const std::string name = expected_file_name(*session, 1);
            ASSERT_EQ(name.substr(0, 4), "/voq");
            ASSERT_EQ(name.substr(name.size() - 4), ".bi1");
            const std::string digits = name.substr(4, name.size() - 8);
            ASSERT_GE(digits.size(), 1u);
            ASSERT_LE(digits.size(), 4u);
            ASSERT_EQ(digits.find_first_not_of("0123456789abcdef"), std::string::npos) << name;
            ASSERT_TRUE(digits.size() < 4 || digits[0] <= '7') << name;
        }
    }
}

}  // namespace
}  // namespace voq::app
