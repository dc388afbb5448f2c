// The Windows screens kept to the front-end contract of ui/screens.h: the real dialogs
// from the program's resources, each opened on the program thread that asked for it,
// and a person on the test's thread who finds them by their captions and presses.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <vector>

#include "frontends/win32/win32_screens.h"
#include "support/screens_conformance.h"

namespace voq::ui::win32 {
namespace {

using Clock = std::chrono::steady_clock;

BOOL CALLBACK add_own_window(HWND window, LPARAM windows)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// The caption without waiting on a window whose thread is busy elsewhere.
std::string caption_of(HWND window)
{
    char text[256] = "";
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 200,
                               &copied))
        return {};
    return text;
}

void press_button(HWND window, int id)
{
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
}

// Typed into the address field's four boxes, as IPM_SETADDRESS fills them.
void type_address(HWND window, const std::string& dotted)
{
    unsigned part[4] = {};
    if (std::sscanf(dotted.c_str(), "%u.%u.%u.%u", &part[0], &part[1], &part[2], &part[3]) != 4) return;
    ::SendMessageA(::GetDlgItem(window, controls::device_address), IPM_SETADDRESS, 0,
                   MAKEIPADDRESS(part[0], part[1], part[2], part[3]));
}

// Presses as planned, each on a window that takes input, and never twice running on
// one window: a press is posted, and the window it closes may still be showing at the
// next look. A press nobody could make within give_up is dropped and told.
class Person {
public:
    static constexpr auto give_up = std::chrono::seconds(10);

    explicit Person(std::vector<test::Press> plan) : plan_(plan.begin(), plan.end()) {}

    void look_around()
    {
        if (plan_.empty()) return;
        std::vector<HWND> windows;
        ::EnumWindows(add_own_window, reinterpret_cast<LPARAM>(&windows));
        for (HWND window : windows) {
            if (window == last_ || !::IsWindowEnabled(window) || caption_of(window) != plan_.front().caption) continue;
            act(window, plan_.front());
            plan_.pop_front();
            last_ = window;
            since_ = Clock::now();
            return;
        }
        if (Clock::now() - since_ < give_up) return;
        problems.push_back("nobody could press on \"" + plan_.front().caption + "\"");
        plan_.pop_front();
        since_ = Clock::now();
    }

    std::vector<std::string> problems;

private:
    static void act(HWND window, const test::Press& press)
    {
        switch (press.button) {
        case test::Button::look:
            return;
        case test::Button::cancel:
            // The close box where a screen has no Cancel.
            if (::GetDlgItem(window, IDCANCEL) != nullptr) press_button(window, IDCANCEL);
            else ::PostMessageA(window, WM_CLOSE, 0, 0);
            return;
        case test::Button::affirmative:
            break;
        }
        if (press.template_id == templates::address_adapter || press.template_id == templates::address_phone)
            type_address(window, press.typed);
        if (press.template_id == templates::password) {
            ::SetDlgItemTextA(window, controls::user_name, press.typed.c_str());
            ::SetDlgItemTextA(window, controls::password, press.password.c_str());
        }
        press_button(window, IDOK);
    }

    std::deque<test::Press> plan_;
    HWND last_ = nullptr;
    Clock::time_point since_ = Clock::now();
};

class Win32Conformance : public ::testing::TestWithParam<test::ConformanceCase> {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_INTERNET_CLASSES};
        ASSERT_TRUE(::InitCommonControlsEx(&classes));
    }
};

TEST_P(Win32Conformance, Case)
{
    Win32Screens screens(::GetModuleHandleA(nullptr));
    Person person(GetParam().presses);
    const auto look_and_sleep = [&person](const std::function<bool()>& finished) {
        while (!finished()) {
            person.look_around();
            ::Sleep(5);
        }
    };
    EXPECT_EQ(GetParam().run(screens, look_and_sleep), std::vector<std::string>{});
    EXPECT_EQ(person.problems, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Win32, Win32Conformance, ::testing::ValuesIn(test::conformance_cases()),
                         [](const auto& info) { return test::case_name(info.param); });

TEST(Win32ConformanceDeathTest, EndProcessWhileAnotherThreadHoldsAScreen)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto end = [] {
        INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_INTERNET_CLASSES};
        ::InitCommonControlsEx(&classes);
        Win32Screens screens(::GetModuleHandleA(nullptr));
        test::end_process_while_another_thread_holds_a_screen(screens);
    };
    EXPECT_EXIT(end(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace voq::ui::win32
