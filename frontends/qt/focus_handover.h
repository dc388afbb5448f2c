#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace voq::ui::qt {

// Follows which of the program's windows the desktop's focus is in, so that a window
// that closes with the focus hands it on, as Windows does and a desktop's window
// manager does. A screen reader presents the window that has the focus: a user whose
// focus went nowhere with a closed screen hears nothing of the screen still open.
// GUI thread only.
class FocusHandover {
public:
    FocusHandover();
    FocusHandover(const FocusHandover&) = delete;
    FocusHandover& operator=(const FocusHandover&) = delete;

    // Gives a window the focus and brings it to the top, as a desktop does with a
    // window that opens. The window counts as holding the focus from now: one that
    // closes before the desktop has moved the focus hands it on all the same.
    void bring_forward(QWidget* window);

    // Whether the window had the focus when it was last anywhere in the program; true
    // too for a window just closed with it.
    bool held_by(const QWidget* window) const;

private:
    QObject watch_;  // ends the following with this object
    QPointer<QWidget> focused_;
};

}  // namespace voq::ui::qt
