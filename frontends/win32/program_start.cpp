#include "frontends/win32/program_start.h"

#include <commctrl.h>

namespace voq::ui::win32 {

namespace {

constexpr UINT common_control_classes = ICC_PROGRESS_CLASS | ICC_INTERNET_CLASSES;

LRESULT CALLBACK class_procedure(HWND, UINT, WPARAM, LPARAM) { return 0; }

}  // namespace

bool register_window_class(HINSTANCE module)
{
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = class_procedure;
    window_class.hInstance = module;
    window_class.hIcon = ::LoadIconA(module, MAKEINTRESOURCEA(286));
    window_class.lpszClassName = "VoqUpgrade";
    return ::RegisterClassA(&window_class) != 0;
}

void init_common_controls()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, common_control_classes};
    ::InitCommonControlsEx(&controls);
}

}  // namespace voq::ui::win32
