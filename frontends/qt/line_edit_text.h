#pragma once

class QAccessibleInterface;
class QLineEdit;

namespace voq::ui::qt {

// A line edit as a screen reader reads it. The toolkit's own answers every offset with
// a run of text attributes that holds no character, from which Orca builds the line it
// speaks as the field takes the focus: it dropped the last character ("12 selected"
// for 127) and said nothing of a box with one digit. Here one run covers the whole
// text; a password field answers with the characters it shows.
QAccessibleInterface* line_edit_text(QLineEdit* line);

// A field that holds a number from 0 to highest also answers as a value, so that a
// screen reader can be told when the field itself changes the number (announce_value).
void read_as_number(QLineEdit* line, int highest);

// Tells a screen reader the number a field now holds, which the user did not type:
// Orca speaks none of the text events of a change the user's keys did not cause.
void announce_value(QLineEdit* line);

}  // namespace voq::ui::qt
