// voq-upgrade.exe: the Windows program.

#include <windows.h>

#include "app/entry.h"
#include "firmware/embedded.h"
#include "frontends/win32/win32_screens.h"

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR, int)
{
    // Like the Session, the screens live until the process ends.
    static voq::ui::win32::Win32Screens screens(module);
    static voq::session::Session session(voq::fw::built_stage_flag());
    return voq::app::program_entry(session, module, screens, voq::app::standard_startup_services());
}
