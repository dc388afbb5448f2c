#pragma once

#include <QDialog>
#include <QString>
#include <map>
#include <string_view>
#include <vector>

namespace voq::ui::qt {

// A dialog laid out from one of the templates: fixed size, title bar and close box,
// controls in template order (also the focus order), by control id.
struct BuiltDialog {
    QDialog* dialog = nullptr;
    std::map<int, QWidget*> controls;
    std::vector<QWidget*> body;  // the controls that hold the screen's body text
};

BuiltDialog build_dialog(int template_id);

// Puts text into a control: panes keep their "\r\n" line breaks.
void set_control_text(const BuiltDialog& built, int control, std::string_view text);

// The body's texts, as they stand, become the screen's description.
void describe(const BuiltDialog& built);

// Places the window at the middle of the primary screen, halving with an arithmetic
// shift (so a window larger than the screen goes to negative coordinates).
void centre_window(QWidget* window);

// Where the outer frame of a window of that size starts when it stands in the middle
// of the screen's rectangle, the screen's origin included.
QPoint centred_origin(QSize frame, const QRect& screen);

QString from_text(std::string_view text);

}  // namespace voq::ui::qt
