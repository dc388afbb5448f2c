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

}  // namespace voq::ui::qt
