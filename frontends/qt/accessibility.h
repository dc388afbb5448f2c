#pragma once

#include <QDialog>
#include <QProgressBar>
#include <QWidget>
#include <vector>

#include "ui/dialog_templates.h"

namespace voq::ui::qt {

// Gives a control of a screen the name a screen reader says for it (the shared table
// of ui/accessible_names.h); the address field's boxes each get theirs.
void name_for_screen_readers(QWidget* widget, const DialogTemplate& layout, const Control& control);

// Ties a label to its field, so that a screen reader reads them together and never
// reads the label as stray text of the dialog.
void tie_label(QWidget* label, QWidget* field);

// The screen's body (its panes and wrapped texts, in template order) as the dialog's
// description, which a screen reader reads when the screen opens: the warning's pane
// takes no focus and would otherwise be heard only in a review of the whole window.
void describe_screen(QDialog* dialog, const std::vector<QWidget*>& body);

// A bar whose position only shows that something is under way: it keeps its look, and
// a screen reader hears "busy" instead of a percentage that means nothing.
void show_as_busy_indicator(QProgressBar* bar);
bool is_busy_indicator(const QObject* object);

}  // namespace voq::ui::qt
