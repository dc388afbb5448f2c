#pragma once

#include <string>
#include <string_view>

#include "ui/dialog_templates.h"

namespace voq::ui {

// What a screen reader calls each control of a screen, for both front-ends. A field
// is named by the label that stands beside it (to its left on the same line, or just
// above it), as a sighted user pairs them; the templates list their labels after their
// fields, so the platform's own guess from the order would pick the wrong one. The
// address field takes its help text's last line, a text pane what it holds, a
// progress bar its screen's caption, an icon what it shows. Fixed texts answer with
// an empty name: the toolkit names them by their text.
std::string accessible_name(const DialogTemplate& layout, const Control& control);

// One box of the IPv4 address field, box 0 to 3, told apart from its neighbours.
std::string address_box_name(int box);

// A text's last line, without its "\r\n".
std::string_view last_line(std::string_view text);

}  // namespace voq::ui
