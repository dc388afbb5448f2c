#include "drivers/gallery.h"

#include "app/startup.h"
#include "platform/clock.h"
#include "ui/views.h"

namespace voq::ui {

namespace {

void show_progress(Screens& screens, const ProgressView& view, const std::string& caption, int position)
{
    const ProgressId screen = screens.open_progress(view);
    if (!caption.empty()) screens.set_progress_caption(screen, caption);
    screens.set_progress_position(screen, position);
    for (int turn = 0; turn < 150; ++turn) {
        screens.pump(screen, 100);
        platform::sleep_milliseconds(10);
    }
    screens.close_progress(screen);
}

}  // namespace

void show_every_screen(Screens& screens, session::Session& session)
{
    session.screens = &screens;
    app::run_startup(session, app::standard_startup_services());
    session.device_address_text.assign("192.168.1.20");
    session.device_info.product_name.assign("VOQ-3300");
    session.device_info.mac_address.assign("00:0E:08:C0:FF:EE");
    session.device_info.software_version.assign("2.0.11");
    session.device_info.hardware_version.assign("1.0.3");
    session.device_info.serial_number.assign("VQ3300A01234");

    const auto accept = [](std::string_view, int) { return true; };
    screens.show_warning(ui::warning_view(session));
    screens.show_address(ui::address_view(session), accept);
    session.phone_style = 1;
    screens.show_address(ui::address_view(session), accept);
    session.phone_style = 0;
    screens.show_password(ui::password_view());
    screens.show_confirm(ui::confirm_view(session));
    session.stage_flag = 1;
    screens.show_confirm(ui::confirm_view(session));
    show_progress(screens, ui::connecting_view(session), "", 40);
    show_progress(screens, ui::waiting_view(true), "", 350);
    show_progress(screens, ui::uploading_view(1436), ui::uploading_caption(session, 367616, 734916), 719);
    session.device_info.software_version.assign("2.0.13(g)");
    screens.show_success(ui::success_view(session));
}

}  // namespace voq::ui
