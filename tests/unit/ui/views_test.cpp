#include "ui/views.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "firmware/placeholder.h"
#include "ui/texts.h"

namespace voq::ui {
namespace {

class Views : public ::testing::Test {
protected:
    void SetUp() override
    {
        session->display_name = "VOQ-3100/3300";
        session->target_image = fw::read_image(target);
        session->transition_image = fw::read_image(transition);
        session->device_address_text.assign("10.1.0.13");
    }

    std::vector<std::uint8_t> target = fw::make_placeholder_image(1000, "VoQ3300 FiRmWaRe", "2.0.13(g)");
    std::vector<std::uint8_t> transition = fw::make_placeholder_image(1000, "VoQ3101 FiRmWaRe", "2.0.12(SE)");
    std::unique_ptr<session::Session> session = std::make_unique<session::Session>(1);
};

TEST_F(Views, AddressScreenListsAddressesUpToTheFirstEmptySlot)
{
    session->local_addresses = {0xc0a80102, 0x0a000001, 0, 0x7f000001, 0, 0, 0, 0};
    const ui::AddressView adapter = address_view(*session);
    EXPECT_EQ(adapter.template_id, 101);
    EXPECT_EQ(adapter.caption, "VOQ-3100/3300 Firmware Upgrade");
    EXPECT_EQ(adapter.help, ui::text::adapter_address_help);
    EXPECT_EQ(adapter.version_line, "Version 2.0.13(g)");
    EXPECT_EQ(adapter.local_addresses, (std::vector<std::string>{"192.168.1.2", "10.0.0.1"}));

    session->phone_style = 1;
    session->local_addresses = {1, 2, 3, 4, 5, 6, 7, 0xffffffff};
    const ui::AddressView phone = address_view(*session);
    EXPECT_EQ(phone.template_id, 305);
    EXPECT_EQ(phone.help, ui::text::phone_address_help);
    ASSERT_EQ(phone.local_addresses.size(), 8u);
    EXPECT_EQ(phone.local_addresses[7], "255.255.255.255");
}

TEST_F(Views, ConfirmScreenAddsTheStagedNoteOnlyInStagedMode)
{
    session->device_info.software_version.assign("2.0.11");
    session->device_info.product_name.assign("VOQ-3300");
    const ui::ConfirmView direct = confirm_view(*session);
    EXPECT_EQ(direct.template_id, 103);
    EXPECT_EQ(direct.caption, "Confirm Upgrade to Ver. 2.0.13(g)");
    EXPECT_EQ(direct.text, ui::text::confirm);
    EXPECT_EQ(direct.software_version, "2.0.11");
    EXPECT_EQ(direct.product_name, "VOQ-3300");

    session->stage_flag = 0;
    const ui::ConfirmView staged = confirm_view(*session);
    EXPECT_EQ(staged.template_id, 304);
    EXPECT_EQ(staged.text, std::string(ui::text::confirm) +
                               "\r\n\r\nNote: Since your current firmware version\r\nis older than 2.0.12(SE), this "
                               "upgrade procedure\r\nrequires additional steps and will be\r\nslightly longer.\r\n");
    EXPECT_EQ(std::string(ui::text::confirm) + staged.staged_note, staged.text);
    EXPECT_TRUE(direct.staged_note.empty());
}

TEST_F(Views, ProgressCaptionsNameTheImageAndTheDevice)
{
    EXPECT_EQ(connecting_view(*session).caption, "Connecting with VOQ@10.1.0.13");
    EXPECT_EQ(connecting_view(*session).range_high, 100);
    EXPECT_EQ(uploading_caption(*session, 512, 1000), "Uploading Target Firmware to VOQ@10.1.0.13 512/1000 Bytes");
    EXPECT_EQ(updating_caption(*session), "Updating Target Firmware to VOQ@10.1.0.13");
    session->stage_flag = 0;
    EXPECT_EQ(uploading_caption(*session, 0, 730800), "Uploading Transition Firmware to VOQ@10.1.0.13 0/730800 Bytes");
    EXPECT_EQ(updating_caption(*session), "Updating Transition Firmware to VOQ@10.1.0.13");

    EXPECT_EQ(waiting_view(true).text, ui::text::waiting);
    EXPECT_EQ(waiting_view(false).text, "");
    EXPECT_EQ(waiting_view(false).range_high, 1000);
    EXPECT_EQ(uploading_view(1436).range_high, 1436);
    EXPECT_EQ(uploading_view(65536 + 5).range_high, 5);  // the bar's range is 16 bits wide
}

TEST_F(Views, WarningAndSuccessScreens)
{
    const ui::WarningView warning = warning_view(*session);
    EXPECT_EQ(warning.template_id, 139);
    EXPECT_EQ(warning.caption, "VOQ-3100/3300 Firmware Upgrade");

    session->device_info.software_version.assign("2.0.13(g)");
    const ui::SuccessView success = success_view(*session);
    EXPECT_EQ(success.template_id, 111);
    EXPECT_EQ(success.caption, "VOQ@10.1.0.13 Upgrade Successful!");
    EXPECT_EQ(success.text, "Your VOQ has been successfully\r\nupgraded to the version shown\r\nbelow.");
    EXPECT_EQ(success.version, "2.0.13(g)");
}

}  // namespace
}  // namespace voq::ui
