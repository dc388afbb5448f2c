#include "ui/accessible_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/screens.h"
#include "ui/texts.h"

namespace voq::ui {
namespace {

struct Named {
    int template_id;
    int control;  // or the icon's resource id for an icon
    std::string name;
};

// What a user of a screen reader must hear on each screen, written from the screens
// as a sighted user reads them.
const Named expected_names[] = {
    {templates::warning, 1, "Continue"},
    {templates::warning, 2, "Cancel"},
    {templates::warning, 1021, "Warning"},
    {templates::address_adapter, 1, "OK"},
    {templates::address_adapter, 1007, "Introduction"},
    {templates::address_adapter, 1008, "Instructions"},
    {templates::address_adapter, 1015, "This program will upgrade your VOQ firmware to:"},
    {templates::address_adapter, 1017, "Your IP Address"},
    {templates::address_adapter, 1000, "Please enter IP address of your VOQ:"},
    {templates::address_adapter, device_icon, "VOQ telephone adapter"},
    {templates::address_phone, 1017, "Your IP Address"},
    {templates::address_phone, 1000, "Please enter IP address of your VOQ:"},
    {templates::address_phone, telephone_icon, "VOQ IP phone"},
    {templates::password, 1003, "User"},
    {templates::password, 1005, "Password"},
    {templates::password, 1007, "Instructions"},
    {templates::connecting, 1010, "Connecting with VOQ"},
    {templates::confirm_direct, 1002, "Serial Number"},
    {templates::confirm_direct, 1003, "MAC Address"},
    {templates::confirm_direct, 1004, "Software Version"},
    {templates::confirm_direct, 1005, "Hardware Version"},
    {templates::confirm_direct, 1006, "Product Name"},
    {templates::confirm_staged, 1002, "Serial Number"},
    {templates::confirm_staged, 1006, "Product Name"},
    {templates::confirm_staged, 1, "Upgrade"},
    {templates::waiting, 1010, "Waiting For Firmware Download Request From VOQ"},
    {templates::uploading, 1010, "Uploading Firmware To VOQ"},
    {templates::success, 1004, "Firmware version now running:"},
    {templates::success, 1007, "Result"},
};

const Control* find_control(const DialogTemplate& layout, int id)
{
    for (const Control& control : layout.controls) {
        if (control.kind == ControlKind::icon ? control.icon == id : control.id == id) return &control;
    }
    return nullptr;
}

TEST(AccessibleNames, EachControlIsNamedAsItsScreenShowsIt)
{
    for (const Named& each : expected_names) {
        SCOPED_TRACE(std::to_string(each.template_id) + "/" + std::to_string(each.control));
        const DialogTemplate* layout = find_template(each.template_id);
        ASSERT_NE(layout, nullptr);
        const Control* control = find_control(*layout, each.control);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(accessible_name(*layout, *control), each.name);
    }
}

// A control that takes the focus, a progress bar or an icon without a name is read
// out as its role alone; the fixed texts are named by the toolkit from their text.
TEST(AccessibleNames, NoScreenHasAnUnnamedControl)
{
    for (const DialogTemplate& layout : all_templates()) {
        for (const Control& control : layout.controls) {
            SCOPED_TRACE(std::to_string(layout.id) + "/" + std::to_string(control.id));
            const bool fixed_text = control.kind == ControlKind::label || control.kind == ControlKind::right_label ||
                                    control.kind == ControlKind::wrapped_text ||
                                    control.kind == ControlKind::centred_wrapped_text;
            EXPECT_EQ(accessible_name(layout, control).empty(), fixed_text);
        }
    }
}

// Which label is tied to which field, as a sighted user pairs them; a label tied to
// the wrong field would make a screen reader say one value under another's name.
TEST(AccessibleNames, EachFieldIsTiedToTheLabelBesideIt)
{
    const Named tied[] = {
        {templates::address_adapter, 1017, "Your IP Address"},
        {templates::address_phone, 1017, "Your IP Address"},
        {templates::password, 1003, "User"},
        {templates::password, 1005, "Password"},
        {templates::confirm_direct, 1002, "Serial Number"},
        {templates::confirm_direct, 1003, "MAC Address"},
        {templates::confirm_direct, 1004, "Software Version"},
        {templates::confirm_direct, 1005, "Hardware Version"},
        {templates::confirm_direct, 1006, "Product Name"},
        {templates::confirm_staged, 1004, "Software Version"},
        {templates::success, 1004, "Firmware version now running:"},
        // Panes, buttons, bars and the address field have no label to tie.
        {templates::warning, 1021, ""},
        {templates::address_adapter, 1000, ""},
        {templates::address_adapter, 1015, ""},
        {templates::password, 1, ""},
        {templates::connecting, 1010, ""},
        {templates::uploading, 1010, std::string(text::uploading_notice)},
    };
    for (const Named& each : tied) {
        SCOPED_TRACE(std::to_string(each.template_id) + "/" + std::to_string(each.control));
        const DialogTemplate* layout = find_template(each.template_id);
        ASSERT_NE(layout, nullptr);
        const Control* field = find_control(*layout, each.control);
        ASSERT_NE(field, nullptr);
        const Control* label = label_for(*layout, *field);
        EXPECT_EQ(label != nullptr ? std::string(label->text) : std::string(), each.name);
    }
}

TEST(AccessibleNames, TheWaitingBarIsTiedToTheWaitingText)
{
    const DialogTemplate* layout = find_template(templates::waiting);
    ASSERT_NE(layout, nullptr);
    const Control* bar = find_control(*layout, controls::progress_bar);
    ASSERT_NE(bar, nullptr);
    const Control* label = label_for(*layout, *bar);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->id, controls::waiting_text);
}

TEST(AccessibleNames, ScreenDescription)
{
    const struct {
        std::vector<std::string> body;
        bool busy;
        std::string description;
    } cases[] = {
        {{}, false, ""},
        {{}, true, "busy"},
        {{"one"}, false, "one"},
        {{"one", "", "two"}, false, "one\ntwo"},
        {{"waiting"}, true, "waiting\nbusy"},
        {{""}, true, "busy"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.description);
        EXPECT_EQ(screen_description(each.body, each.busy), each.description);
    }
}

// What a screen reader reads as each screen opens: its body, and on the two screens
// whose bar only cycles, no body but "busy".
TEST(AccessibleNames, EachScreensBodyAndBusyBar)
{
    const struct {
        int template_id;
        std::vector<int> body;  // ids, no_id for a fixed text
        bool busy;
    } screens[] = {
        {templates::warning, {1021}, false},
        {templates::address_adapter, {1007, 1008, 1015}, false},
        {templates::address_phone, {1007, 1008, 1015}, false},
        {templates::password, {1007}, false},
        {templates::connecting, {}, true},
        {templates::confirm_direct, {1007}, false},
        {templates::confirm_staged, {1007}, false},
        {templates::waiting, {1022}, true},
        {templates::uploading, {no_id}, false},
        {templates::success, {1007, 1004}, false},
    };
    ASSERT_EQ(std::size(screens), all_templates().size());
    for (const auto& screen : screens) {
        SCOPED_TRACE(screen.template_id);
        const DialogTemplate* layout = find_template(screen.template_id);
        ASSERT_NE(layout, nullptr);
        std::vector<int> body;
        for (const Control& control : layout->controls) {
            if (is_body(control)) body.push_back(control.id);
        }
        std::sort(body.begin(), body.end());
        std::vector<int> expected = screen.body;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(body, expected);
        EXPECT_EQ(bar_is_busy_indicator(screen.template_id), screen.busy);
    }
}

TEST(AccessibleNames, TheAddressBoxesAreToldApart)
{
    EXPECT_EQ(address_box_name(0), "Please enter IP address of your VOQ: 1 of 4");
    EXPECT_EQ(address_box_name(3), "Please enter IP address of your VOQ: 4 of 4");
}

TEST(AccessibleNames, LastLine)
{
    const struct {
        std::string_view text;
        std::string_view last;
    } cases[] = {{"", ""}, {"one", "one"}, {"one\r\ntwo", "two"}, {"one\r\n", ""}};
    for (const auto& each : cases) {
        SCOPED_TRACE(std::string(each.text));
        EXPECT_EQ(last_line(each.text), each.last);
    }
}

}  // namespace
}  // namespace voq::ui
