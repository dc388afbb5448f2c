#pragma once

#include <QWidget>

#include "ui/dialog_templates.h"

namespace voq::ui::qt {

// Gives a control of a screen the name a screen reader says for it (the shared table
// of ui/accessible_names.h); the address field's boxes each get theirs.
void name_for_screen_readers(QWidget* widget, const DialogTemplate& layout, const Control& control);

}  // namespace voq::ui::qt
