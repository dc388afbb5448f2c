// voq-upgrade.exe: the Windows program.

#include <windows.h>

#include "app/entry.h"
#include "firmware/embedded.h"
#include "frontends/win32/program_start.h"
#include "frontends/win32/win32_screens.h"
#include "platform/state_folder.h"
#include "ui/support_log.h"

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR, int)
{
    // Like the Session, the screens live until the process ends.
    static voq::ui::win32::Win32Screens screens(module);
    static voq::ui::SupportLog log = voq::ui::SupportLog::in_folder(voq::platform::support_log_folder());
    log.begin("voq-upgrade.exe", VOQ_VERSION);
    screens.keep_log(log);
    static voq::session::Session session(voq::fw::built_stage_flag());
    if (!voq::ui::win32::register_window_class(module)) return 0;
    voq::ui::win32::init_common_controls();
    return voq::app::program_entry(session, screens, voq::app::standard_startup_services());
}
