// The names and descriptions the Windows screens give a screen reader, recorded by a
// stand-in for the accessibility service: the real dialogs from the real resources,
// under wine, where the service's annotations cannot be read back.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "frontends/win32/accessibility.h"
#include "frontends/win32/win32_screens.h"
#include "ui/accessible_names.h"
#include "ui/dialog_templates.h"
#include "ui/texts.h"

namespace voq::ui::win32 {
namespace {

struct Recorded {
    std::map<HWND, std::string> names;
    std::map<HWND, std::string> descriptions;
    std::vector<std::pair<HWND, std::string>> name_changes;
    Annotate recorder()
    {
        return [this](HWND window, Annotation kind, const std::string& text) {
            if (kind == Annotation::name_changed) name_changes.emplace_back(window, text);
            else (kind == Annotation::name ? names : descriptions)[window] = text;
        };
    }
};

INT_PTR CALLBACK quiet_procedure(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

HWND open_screen(int template_id)
{
    static const bool initialised = [] {
        INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_INTERNET_CLASSES};
        return ::InitCommonControlsEx(&classes) != FALSE;
    }();
    static_cast<void>(initialised);
    return ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(template_id), nullptr, quiet_procedure,
                                0);
}

// Every control the shared table names gets its name, on its own window.
void expect_every_control_named(HWND dialog, const DialogTemplate& layout, const Recorded& recorded)
{
    std::size_t without_id = 0;
    for (const Control& control : layout.controls) {
        const std::string name = accessible_name(layout, control);
        if (control.id == no_id) {
            if (!name.empty()) ++without_id;
            continue;
        }
        HWND window = ::GetDlgItem(dialog, control.id);
        ASSERT_NE(window, nullptr) << control.id;
        if (name.empty()) continue;
        const auto found = recorded.names.find(window);
        ASSERT_NE(found, recorded.names.end()) << "control " << control.id << " has no name";
        EXPECT_EQ(found->second, name) << "control " << control.id;
    }
    std::size_t named_without_id = 0;
    for (const auto& [window, name] : recorded.names) {
        if (static_cast<short>(::GetDlgCtrlID(window)) == no_id && ::GetParent(window) == dialog) ++named_without_id;
    }
    EXPECT_EQ(named_without_id, without_id);
}

TEST(Win32Naming, EveryControlOfEveryScreenIsNamedThroughItsId)
{
    for (const DialogTemplate& layout : all_templates()) {
        SCOPED_TRACE(layout.id);
        HWND dialog = open_screen(layout.id);
        ASSERT_NE(dialog, nullptr);
        Recorded recorded;
        name_for_screen_readers(dialog, layout.id, recorded.recorder());
        expect_every_control_named(dialog, layout, recorded);
        ::DestroyWindow(dialog);
    }
}

// A window the template does not know of, first among the dialog's children: naming by
// the order of the children stopped there and left every control unnamed.
TEST(Win32Naming, AWindowOutsideTheTemplateStopsNoNaming)
{
    for (const int template_id : {templates::confirm_direct, templates::address_adapter, templates::password}) {
        SCOPED_TRACE(template_id);
        const DialogTemplate* layout = find_template(template_id);
        HWND dialog = open_screen(template_id);
        ASSERT_NE(dialog, nullptr);
        HWND stranger = ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 1, 1, dialog,
                                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(4321)), nullptr, nullptr);
        ASSERT_NE(stranger, nullptr);
        ::SetWindowPos(stranger, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ASSERT_EQ(::GetWindow(dialog, GW_CHILD), stranger);
        Recorded recorded;
        name_for_screen_readers(dialog, template_id, recorded.recorder());
        expect_every_control_named(dialog, *layout, recorded);
        EXPECT_EQ(recorded.names.count(stranger), 0u);
        ::DestroyWindow(dialog);
    }
}

TEST(Win32Naming, TheAddressBoxesAreNamedOneByOne)
{
    HWND dialog = open_screen(templates::address_phone);
    ASSERT_NE(dialog, nullptr);
    Recorded recorded;
    name_for_screen_readers(dialog, templates::address_phone, recorded.recorder());
    std::vector<std::string> boxes;
    for (const auto& [window, name] : recorded.names) {
        if (::GetParent(window) == ::GetDlgItem(dialog, controls::device_address)) boxes.push_back(name);
    }
    std::sort(boxes.begin(), boxes.end());
    EXPECT_EQ(boxes, (std::vector<std::string>{address_box_name(0), address_box_name(1), address_box_name(2),
                                               address_box_name(3)}));
    ::DestroyWindow(dialog);
}

// The dialog's description is its body as it stands, top to bottom; "busy" where the
// bar only cycles.
TEST(Win32Naming, EachScreenIsDescribedByItsBody)
{
    const struct {
        int template_id;
        std::map<int, std::string> texts;
        std::string description;
    } cases[] = {
        {templates::warning, {{controls::warning_text, "WARNING: one\r\ntwo"}}, "WARNING: one\ntwo"},
        {templates::address_adapter,
         {{controls::text_pane, "Intro"}, {controls::address_help, "Help"}, {controls::version_line, "Version 2"}},
         "Intro\nVersion 2\nHelp"},
        {templates::password, {{controls::text_pane, "Note"}}, "Note"},
        {templates::connecting, {}, "busy"},
        {templates::waiting, {{controls::waiting_text, "Waiting"}}, "Waiting\nbusy"},
        {templates::uploading, {}, std::string(text::uploading_notice)},
        {templates::success,
         {{controls::text_pane, "Done"}, {controls::version_now, "2.0.13"}},
         "Done\n" + std::string(text::success_version_label) + "\n2.0.13"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.template_id);
        HWND dialog = open_screen(each.template_id);
        ASSERT_NE(dialog, nullptr);
        for (const auto& [control, text] : each.texts) ::SetDlgItemTextA(dialog, control, text.c_str());
        Recorded recorded;
        describe_for_screen_readers(dialog, each.template_id, recorded.recorder());
        ASSERT_EQ(recorded.descriptions.count(dialog), 1u);
        EXPECT_EQ(recorded.descriptions[dialog], each.description);
        ::DestroyWindow(dialog);
    }
}

// The uploading screen turning into the restart wait keeps the focus on Cancel: the new
// caption is told on the dialog and on the bar, which takes it as its name. The
// captions of the blocks, on the screen that opened in their phase, are only shown.
TEST(Win32Naming, APhaseBegunWithTheScreenOpenTellsItsCaption)
{
    Recorded recorded;
    Win32Screens screens(::GetModuleHandleA(nullptr), recorded.recorder());
    screens.note(record::PhaseFact{record::Phase::transferring});
    const ProgressId screen = screens.open_progress({templates::uploading, "Uploading Firmware To VOQ", "", 3});
    screens.set_progress_caption(screen, "Uploading Target Firmware to VOQ@127.0.0.2 512/1536 Bytes");
    EXPECT_TRUE(recorded.name_changes.empty());
    const std::string restart = "Updating Target Firmware to VOQ@127.0.0.2";
    screens.note(record::PhaseFact{record::Phase::restarting});
    screens.set_progress_caption(screen, restart);
    screens.set_progress_caption(screen, restart);
    HWND dialog = ::FindWindowA(nullptr, restart.c_str());
    ASSERT_NE(dialog, nullptr);
    HWND bar = ::GetDlgItem(dialog, controls::progress_bar);
    EXPECT_EQ(recorded.name_changes, (std::vector<std::pair<HWND, std::string>>{{dialog, restart}, {bar, restart}}));
    EXPECT_EQ(recorded.names[bar], restart);
    screens.close_progress(screen);
}

}  // namespace
}  // namespace voq::ui::win32
