#pragma once

#include <span>
#include <string_view>

#include "ui/ids.h"

namespace voq::ui {

// The ten dialog templates, once for every front-end: the Qt front-end builds its
// dialogs from them and the Win32 resource script is written from them. Positions
// and sizes are in dialog units (a quarter of the average character width, an
// eighth of the character height of the dialog's 8-point font).
enum class ControlKind {
    push_button,
    default_button,
    text_pane,    // multi-line, read-only, no border, scrolls instead of wrapping
    value_field,  // single line, read-only, with border
    centred_value_field,
    plain_line,  // single line, read-only, without border
    entry_field,
    password_field,
    label,
    right_label,
    wrapped_text,
    centred_wrapped_text,
    icon,
    drop_down_list,
    address_field,
    progress_bar,
};

inline constexpr int no_id = -1;

struct Control {
    int id;  // no_id for fixed texts and icons
    ControlKind kind;
    std::string_view text;  // fixed text, if any
    int x, y, width, height;
    bool tab_stop = true;
    int icon = 0;  // the icon's resource id, for ControlKind::icon
};

struct DialogTemplate {
    int id;
    int width, height;
    std::string_view caption;
    std::span<const Control> controls;  // in template order, which is also the focus order
};

const DialogTemplate* find_template(int id);
std::span<const DialogTemplate> all_templates();

inline constexpr int device_icon = 106;
inline constexpr int telephone_icon = 286;

}  // namespace voq::ui
