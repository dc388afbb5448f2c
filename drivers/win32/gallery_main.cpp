// voq-win32-gallery.exe: every one of the ten screens once, without a device; with
// voq-win32-autopilot it gives a screenshot of each template.

#include <windows.h>

#include "drivers/gallery.h"
#include "frontends/win32/program_start.h"
#include "frontends/win32/win32_screens.h"

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR, int)
{
    voq::ui::win32::init_common_controls();
    static voq::ui::win32::Win32Screens screens(module);
    static voq::session::Session session(0);
    voq::ui::show_every_screen(screens, session);
    return 0;
}
