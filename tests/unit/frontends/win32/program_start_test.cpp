// The window class the Windows program registers before anything else: a refusal is
// what ends the program silently, so the refusal has to be reachable.

#include "frontends/win32/program_start.h"

#include <gtest/gtest.h>

namespace voq::ui::win32 {
namespace {

TEST(ProgramStart, TheClassRegistersOnceAndIsRefusedTheSecondTime)
{
    HINSTANCE module = ::GetModuleHandleA(nullptr);
    ASSERT_TRUE(register_window_class(module));
    WNDCLASSA found{};
    ASSERT_NE(::GetClassInfoA(module, "VoqUpgrade", &found), FALSE);
    EXPECT_EQ(found.style, 0u);
    EXPECT_EQ(found.cbClsExtra, 0);
    EXPECT_EQ(found.cbWndExtra, 0);
    EXPECT_EQ(found.hCursor, nullptr);
    EXPECT_EQ(found.hbrBackground, nullptr);
    EXPECT_EQ(found.lpszMenuName, nullptr);
    EXPECT_EQ(::CallWindowProcA(found.lpfnWndProc, nullptr, WM_CREATE, 0, 0), 0);
    EXPECT_FALSE(register_window_class(module));
}

}  // namespace
}  // namespace voq::ui::win32
