// voq-win32-gallery.exe: every one of the ten screens once, filled by the core's
// views as the program fills them, without a device; with voq-win32-autopilot it
// gives a screenshot of each template.

#include <windows.h>

#include "app/startup.h"
#include "app/views.h"
#include "firmware/embedded.h"
#include "platform/clock.h"
#include "ui/win32/win32_screens.h"

namespace {

void show_progress(voq::ui::win32::Win32Screens& screens, const voq::ui::ProgressView& view, const std::string& caption,
                   int position)
{
    const voq::ui::ProgressId screen = screens.open_progress(view);
    if (!caption.empty()) screens.set_progress_caption(screen, caption);
    screens.set_progress_position(screen, position);
    for (int turn = 0; turn < 150; ++turn) {
        screens.pump(screen, 100);
        voq::platform::sleep_milliseconds(10);
    }
    screens.close_progress(screen);
}

}  // namespace

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR, int)
{
    static voq::ui::win32::Win32Screens screens(module);
    // Staged, so that both images are loaded for the staged screens.
    static voq::app::Session session(0);
    session.screens = &screens;
    voq::app::run_startup(session, voq::app::standard_startup_services());
    session.device_address_text.assign("192.168.1.20");
    session.device_info.product_name.assign("VOQ-3300");
    session.device_info.mac_address.assign("00:0E:08:C0:FF:EE");
    session.device_info.software_version.assign("2.0.11");
    session.device_info.hardware_version.assign("1.0.3");
    session.device_info.serial_number.assign("VQ3300A01234");

    const auto accept = [](std::string_view, int) { return true; };
    screens.show_warning(voq::app::warning_view(session));
    screens.show_address(voq::app::address_view(session), accept);
    session.phone_style = 1;
    screens.show_address(voq::app::address_view(session), accept);
    session.phone_style = 0;
    screens.show_password(voq::app::password_view());
    screens.show_confirm(voq::app::confirm_view(session));
    session.stage_flag = 1;
    screens.show_confirm(voq::app::confirm_view(session));
    show_progress(screens, voq::app::connecting_view(session), "", 40);
    show_progress(screens, voq::app::waiting_view(true), "", 350);
    show_progress(screens, voq::app::uploading_view(1436), voq::app::uploading_caption(session, 367616, 734916), 719);
    session.device_info.software_version.assign("2.0.13(g)");
    screens.show_success(voq::app::success_view(session));
    return 0;
}
