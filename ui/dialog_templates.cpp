#include "ui/dialog_templates.h"

#include <array>

#include "ui/texts.h"

namespace voq::ui {

namespace {

using K = ControlKind;

constexpr std::array warning_controls{
    Control{controls::affirmative, K::push_button, text::continue_button, 40, 122, 50, 14},
    Control{controls::cancel, K::default_button, text::cancel_button, 114, 122, 50, 14},
    Control{controls::warning_text, K::text_pane, "", 7, 7, 190, 108, false},
};

// Both address screens hold the same controls; the phone's is a little smaller and
// shows the telephone.
constexpr std::array<Control, 9> address_controls(int raised, int narrowed, int icon)
{
    return {{
        Control{controls::affirmative, K::default_button, text::ok_button, 30, 138 - raised, 50, 14},
        Control{controls::cancel, K::push_button, text::cancel_button, 86, 138 - raised, 50, 14},
        Control{controls::text_pane, K::text_pane, "", 4, 7, 134, 20},
        Control{controls::address_help, K::text_pane, "", 7, 40, 151 - narrowed, 72},
        Control{controls::version_line, K::plain_line, "", 7, 28, 118, 10},
        Control{controls::local_addresses, K::drop_down_list, "", 72, 160 - raised, 86 - narrowed, 60},
        Control{no_id, K::label, text::local_address_label, 7, 162 - raised, 62, 8, false},
        Control{no_id, K::icon, "", 141, 9, 20, 20, false, icon},
        Control{controls::device_address, K::address_field, "", 40, 117 - raised, 85, 14},
    }};
}

constexpr auto adapter_address_controls = address_controls(0, 0, device_icon);
constexpr auto phone_address_controls = address_controls(3, 1, telephone_icon);

constexpr std::array password_controls{
    Control{controls::affirmative, K::default_button, text::ok_button, 40, 214, 50, 14},
    Control{controls::cancel, K::push_button, text::cancel_button, 101, 214, 50, 14},
    Control{controls::user_name, K::entry_field, "", 62, 176, 110, 13},
    Control{controls::password, K::password_field, "", 62, 194, 110, 13},
    Control{no_id, K::right_label, text::user_name_label, 14, 178, 44, 8, false},
    Control{no_id, K::right_label, text::password_label, 14, 196, 44, 8, false},
    Control{controls::text_pane, K::text_pane, "", 7, 7, 177, 163},
};

constexpr std::array connecting_controls{
    Control{controls::cancel, K::push_button, text::cancel_button, 68, 34, 50, 14},
    Control{controls::progress_bar, K::progress_bar, "", 7, 11, 172, 14, false},
};

// Five rows of a right-aligned label and its value, top to bottom as the device's
// status page has them.
#define VOQ_CONFIRM_ROWS(top)                                                                                          \
    Control{controls::serial_number, K::value_field, "", 72, (top) + 60, 93, 12},                                      \
        Control{controls::mac_address, K::value_field, "", 72, (top) + 15, 93, 12},                                    \
        Control{controls::software_version, K::value_field, "", 72, (top) + 30, 93, 12},                               \
        Control{controls::hardware_version, K::value_field, "", 72, (top) + 45, 93, 12},                               \
        Control{controls::product_name, K::value_field, "", 72, (top), 93, 12},                                        \
        Control{no_id, K::right_label, text::serial_number_label, 7, (top) + 62, 60, 8, false},                        \
        Control{no_id, K::right_label, text::mac_address_label, 7, (top) + 17, 60, 8, false},                          \
        Control{no_id, K::right_label, text::software_version_label, 7, (top) + 32, 60, 8, false},                     \
        Control{no_id, K::right_label, text::hardware_version_label, 7, (top) + 47, 60, 8, false}, Control             \
    {                                                                                                                  \
        no_id, K::right_label, text::product_name_label, 7, (top) + 2, 60, 8, false                                    \
    }

constexpr std::array direct_confirm_controls{
    Control{controls::affirmative, K::default_button, text::upgrade_button, 28, 145, 50, 14},
    Control{controls::cancel, K::push_button, text::cancel_button, 94, 145, 50, 14},
    VOQ_CONFIRM_ROWS(60),
    Control{controls::text_pane, K::text_pane, "", 7, 7, 158, 46},
};

constexpr std::array staged_confirm_controls{
    Control{controls::affirmative, K::default_button, text::upgrade_button, 35, 177, 50, 14},
    Control{controls::cancel, K::push_button, text::cancel_button, 101, 177, 50, 14},
    VOQ_CONFIRM_ROWS(94),
    Control{controls::text_pane, K::text_pane, "", 7, 7, 172, 84},
};

#undef VOQ_CONFIRM_ROWS

constexpr std::array waiting_controls{
    Control{controls::cancel, K::push_button, text::cancel_button, 110, 121, 50, 14},
    Control{controls::progress_bar, K::progress_bar, "", 7, 101, 256, 12, false},
    Control{controls::waiting_text, K::wrapped_text, "", 7, 7, 256, 88, false},
};

constexpr std::array uploading_controls{
    Control{controls::cancel, K::push_button, text::cancel_button, 126, 56, 50, 14},
    Control{controls::progress_bar, K::progress_bar, "", 7, 36, 289, 8, false},
    Control{no_id, K::centred_wrapped_text, text::uploading_notice, 7, 9, 289, 20, false},
};

constexpr std::array success_controls{
    Control{controls::affirmative, K::default_button, text::ok_button, 60, 105, 50, 14},
    Control{controls::version_now, K::centred_value_field, "", 35, 84, 100, 12},
    Control{controls::text_pane, K::text_pane, "", 7, 7, 157, 44},
    Control{no_id, K::label, text::success_version_label, 35, 70, 120, 8, false},
};

constexpr std::array all{
    DialogTemplate{templates::warning, 204, 143, text::program_template_caption, warning_controls},
    DialogTemplate{templates::address_adapter, 165, 181, text::program_template_caption, adapter_address_controls},
    DialogTemplate{templates::address_phone, 164, 178, text::program_template_caption, phone_address_controls},
    DialogTemplate{templates::password, 191, 236, text::password_caption, password_controls},
    DialogTemplate{templates::connecting, 186, 55, text::connecting_template_caption, connecting_controls},
    DialogTemplate{templates::confirm_direct, 172, 166, text::confirm_template_caption, direct_confirm_controls},
    DialogTemplate{templates::confirm_staged, 186, 198, text::confirm_template_caption, staged_confirm_controls},
    DialogTemplate{templates::waiting, 270, 141, text::waiting_caption, waiting_controls},
    DialogTemplate{templates::uploading, 303, 77, text::uploading_caption, uploading_controls},
    DialogTemplate{templates::success, 171, 126, text::success_template_caption, success_controls},
};

}  // namespace

const DialogTemplate* find_template(int id)
{
    for (const DialogTemplate& each : all) {
        if (each.id == id) return &each;
    }
    return nullptr;
}

std::span<const DialogTemplate> all_templates() { return all; }

}  // namespace voq::ui
