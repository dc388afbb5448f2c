#include "ui/accessible_names.h"

#include <array>
#include <cstdio>

#include "ui/screens.h"
#include "ui/texts.h"

namespace voq::ui {

namespace {

struct PaneName {
    int template_id;
    int control;
    std::string_view name;
};

// The text panes have no label: each is named for what it holds.
constexpr std::array pane_names{
    PaneName{templates::warning, controls::warning_text, text::warning_pane_name},
    PaneName{templates::address_adapter, controls::text_pane, text::introduction_pane_name},
    PaneName{templates::address_phone, controls::text_pane, text::introduction_pane_name},
    PaneName{templates::address_adapter, controls::address_help, text::instructions_pane_name},
    PaneName{templates::address_phone, controls::address_help, text::instructions_pane_name},
    PaneName{templates::password, controls::text_pane, text::instructions_pane_name},
    PaneName{templates::confirm_direct, controls::text_pane, text::instructions_pane_name},
    PaneName{templates::confirm_staged, controls::text_pane, text::instructions_pane_name},
    PaneName{templates::success, controls::text_pane, text::result_pane_name},
};

bool is_label(const Control& control)
{
    return control.kind == ControlKind::label || control.kind == ControlKind::right_label;
}

std::string_view label_of(const DialogTemplate& layout, const Control& field)
{
    const Control* label = label_for(layout, field);
    return label != nullptr ? label->text : std::string_view();
}

std::string_view pane_name(int template_id, int control)
{
    for (const PaneName& pane : pane_names) {
        if (pane.template_id == template_id && pane.control == control) return pane.name;
    }
    return {};
}

// Line breaks become blanks: a name is one line.
std::string one_line(std::string_view text)
{
    std::string line;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text.substr(k, 2) == "\r\n") {
            line += ' ';
            ++k;
        } else {
            line += text[k];
        }
    }
    return line;
}

std::string_view address_field_name() { return last_line(text::adapter_address_help); }

}  // namespace

// A label beside the field (its middle within the field's height, ending before the
// field starts) wins over one just above it (ending at most a line over the field's top).
const Control* label_for(const DialogTemplate& layout, const Control& field)
{
    switch (field.kind) {
    case ControlKind::value_field:
    case ControlKind::centred_value_field:
    case ControlKind::entry_field:
    case ControlKind::password_field:
    case ControlKind::drop_down_list:
        break;
    case ControlKind::progress_bar: {
        // The text just above a bar says what it shows the progress of.
        for (const Control& text : layout.controls) {
            if (text.kind != ControlKind::wrapped_text && text.kind != ControlKind::centred_wrapped_text) continue;
            const int gap = field.y - (text.y + text.height);
            if (gap >= 0 && gap <= 8) return &text;
        }
        return nullptr;
    }
    default:
        return nullptr;
    }
    const Control* above = nullptr;
    for (const Control& label : layout.controls) {
        if (!is_label(label)) continue;
        const int middle = label.y + label.height / 2;
        if (middle >= field.y && middle <= field.y + field.height && label.x + label.width <= field.x) return &label;
        const int gap = field.y - (label.y + label.height);
        const bool overlaps = label.x < field.x + field.width && field.x < label.x + label.width;
        if (gap >= 0 && gap <= 8 && overlaps) above = &label;
    }
    return above;
}

bool is_body(const Control& control)
{
    return control.kind == ControlKind::text_pane || control.kind == ControlKind::wrapped_text ||
           control.kind == ControlKind::centred_wrapped_text || control.kind == ControlKind::plain_line ||
           control.kind == ControlKind::centred_value_field;
}

std::string screen_description(const std::vector<std::string>& body_texts, bool busy)
{
    std::string description;
    const auto add = [&description](std::string_view part) {
        if (part.empty()) return;
        if (!description.empty()) description += '\n';
        description += part;
    };
    for (const std::string& text : body_texts) add(text);
    if (busy) add(text::busy_bar_description);
    return description;
}

bool bar_is_busy_indicator(int template_id)
{
    return template_id == templates::connecting || template_id == templates::waiting;
}

std::string_view last_line(std::string_view text)
{
    const std::size_t brk = text.rfind("\r\n");
    return brk == std::string_view::npos ? text : text.substr(brk + 2);
}

std::string address_box_name(int box)
{
    constexpr int boxes = 4;
    const std::string_view field = address_field_name();
    char name[128];
    std::snprintf(name, sizeof name, text::address_box_name_format, static_cast<int>(field.size()), field.data(),
                  box + 1, boxes);
    return name;
}

std::string accessible_name(const DialogTemplate& layout, const Control& control)
{
    switch (control.kind) {
    case ControlKind::push_button:
    case ControlKind::default_button:
        return std::string(control.text);
    case ControlKind::text_pane:
        return std::string(pane_name(layout.id, control.id));
    case ControlKind::value_field:
    case ControlKind::centred_value_field:
    case ControlKind::entry_field:
    case ControlKind::password_field:
    case ControlKind::drop_down_list:
        return std::string(label_of(layout, control));
    // The line under the address screen's introduction completes it: "... firmware to:".
    case ControlKind::plain_line:
        return one_line(text::address_intro);
    case ControlKind::address_field:
        return std::string(address_field_name());
    case ControlKind::progress_bar:
        return std::string(layout.caption);
    case ControlKind::icon:
        if (control.icon == telephone_icon) return std::string(text::phone_icon_name);
        return control.icon == device_icon ? std::string(text::adapter_icon_name) : std::string();
    case ControlKind::label:
    case ControlKind::right_label:
    case ControlKind::wrapped_text:
    case ControlKind::centred_wrapped_text:
        return {};
    }
    return {};
}

}  // namespace voq::ui
