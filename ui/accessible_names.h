#pragma once

#include <string>
#include <string_view>
#include <vector>

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

// The label that names a field, to be tied to it so that a screen reader reads the two
// together (for a bar, the text above it); null for a control without one.
const Control* label_for(const DialogTemplate& layout, const Control& control);

// Whether a control holds part of its screen's body, the text a screen reader reads as
// the screen's description when it opens: a pane, a wrapped text, the line that
// completes a pane's sentence or the version that the success text points to ("the
// version shown below"), whether or not it takes the focus (the warning's pane does not).
bool is_body(const Control& control);

// A screen's description: its body's texts, one after the other, and "busy" after them
// on a screen whose bar is a busy indicator (the bar never takes the focus, and a
// screen reader would not otherwise mention it).
std::string screen_description(const std::vector<std::string>& body_texts, bool busy);

// Whether the screen's bar only shows that something is under way: the connecting and
// waiting bars cycle, and their percentages mean nothing.
bool bar_is_busy_indicator(int template_id);

// One box of the IPv4 address field, box 0 to 3, told apart from its neighbours.
std::string address_box_name(int box);

// A text's last line, without its "\r\n".
std::string_view last_line(std::string_view text);

}  // namespace voq::ui
