#include "ui/views.h"

#include <cstdio>

#include "firmware/image.h"
#include "ui/texts.h"

namespace voq::ui {

namespace {

std::string format(const char* pattern, std::string_view value)
{
    char text[512];
    std::snprintf(text, sizeof text, pattern, static_cast<int>(value.size()), value.data());
    return text;
}

// "Target" for the image served once the stage flag is set, "Transition" before.
std::string_view image_role(const session::Session& session)
{
    return session.stage_flag.load() != 0 ? ui::text::target_role : ui::text::transition_role;
}

}  // namespace

ui::WarningView warning_view(const session::Session& session)
{
    return {ui::templates::warning, program_caption(session.display_name), std::string(ui::text::warning)};
}

ui::AddressView address_view(const session::Session& session)
{
    ui::AddressView view;
    view.template_id = session.phone_style != 0 ? ui::templates::address_phone : ui::templates::address_adapter;
    view.caption = program_caption(session.display_name);
    view.intro = ui::text::address_intro;
    view.help = session.phone_style != 0 ? ui::text::phone_address_help : ui::text::adapter_address_help;
    view.version_line = version_line(fw::version_text(session.target_image));
    for (const std::uint32_t address : session.local_addresses) {
        if (address == 0) break;
        view.local_addresses.push_back(dotted(address));
    }
    return view;
}

ui::PasswordView password_view()
{
    return {ui::templates::password, std::string(ui::text::password_caption), std::string(ui::text::password_help),
            std::string(ui::text::default_user_name)};
}

ui::ProgressView connecting_view(const session::Session& session)
{
    return {ui::templates::connecting, connecting_caption(session.device_address_text.view()), "", 100};
}

ui::ConfirmView confirm_view(const session::Session& session)
{
    const bool staged = session.stage_flag.load() == 0;
    ui::ConfirmView view;
    view.template_id = staged ? ui::templates::confirm_staged : ui::templates::confirm_direct;
    view.caption = confirm_caption(fw::version_text(session.target_image));
    view.text = ui::text::confirm;
    if (staged) {
        // The format leads with the screen's fixed text; formatted without it, the note stands alone.
        const std::string transition(fw::version_text(session.transition_image));
        char note[1024];
        std::snprintf(note, sizeof note, ui::text::staged_note_format, "", transition.c_str());
        view.staged_note = note;
        view.text += view.staged_note;
    }
    const session::DeviceInfo& info = session.device_info;
    view.serial_number = info.serial_number.view();
    view.mac_address = info.mac_address.view();
    view.software_version = info.software_version.view();
    view.hardware_version = info.hardware_version.view();
    view.product_name = info.product_name.view();
    return view;
}

ui::ProgressView waiting_view(bool with_text)
{
    return {ui::templates::waiting, std::string(ui::text::waiting_caption),
            with_text ? std::string(ui::text::waiting) : std::string(), 1000};
}

ui::ProgressView uploading_view(int block_count)
{
    // The bar's range is 16 bits wide.
    return {ui::templates::uploading, std::string(ui::text::uploading_caption), std::string(ui::text::uploading_notice),
            block_count & 0xffff};
}

ui::SuccessView success_view(const session::Session& session)
{
    return {ui::templates::success, success_caption(session.device_address_text.view()), std::string(ui::text::success),
            std::string(ui::text::success_version_label), std::string(session.device_info.software_version.view())};
}

std::string uploading_caption(const session::Session& session, int bytes_acknowledged, std::uint32_t image_size)
{
    return uploading_caption(image_role(session), session.device_address_text.view(), bytes_acknowledged, image_size);
}

std::string updating_caption(const session::Session& session)
{
    return updating_caption(image_role(session), session.device_address_text.view());
}

std::string program_caption(std::string_view display_name)
{
    return format(ui::text::program_caption_format, display_name);
}
std::string version_line(std::string_view version) { return format(ui::text::version_line_format, version); }
std::string connecting_caption(std::string_view device_address)
{
    return format(ui::text::connecting_caption_format, device_address);
}
std::string confirm_caption(std::string_view version) { return format(ui::text::confirm_caption_format, version); }
std::string success_caption(std::string_view device_address)
{
    return format(ui::text::success_caption_format, device_address);
}

std::string uploading_caption(std::string_view role, std::string_view device_address, int bytes_acknowledged,
                              std::uint32_t image_size)
{
    char text[256];
    std::snprintf(text, sizeof text, ui::text::uploading_progress_format, static_cast<int>(role.size()), role.data(),
                  static_cast<int>(device_address.size()), device_address.data(), bytes_acknowledged,
                  static_cast<int>(image_size));
    return text;
}

std::string updating_caption(std::string_view role, std::string_view device_address)
{
    char text[256];
    std::snprintf(text, sizeof text, ui::text::updating_caption_format, static_cast<int>(role.size()), role.data(),
                  static_cast<int>(device_address.size()), device_address.data());
    return text;
}

}  // namespace voq::ui
