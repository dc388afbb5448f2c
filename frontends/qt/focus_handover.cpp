#include "frontends/qt/focus_handover.h"

#include <QApplication>

namespace voq::ui::qt {

FocusHandover::FocusHandover()
{
    QObject::connect(qApp, &QApplication::focusChanged, &watch_, [this](QWidget* before, QWidget* now) {
        if (now != nullptr) {
            focused_ = now->window();
            return;
        }
        // The focus left for another program while the window stayed: nothing of this
        // program takes it back when a screen closes meanwhile. A window that hides is
        // still the one that had it: the toolkit takes the focus from it as it starts
        // hiding, while it still counts as visible.
        if (before != nullptr && before->window() == focused_ && !before->window()->isHidden()) focused_ = nullptr;
    });
    if (QWidget* now = QApplication::focusWidget()) focused_ = now->window();
}

bool FocusHandover::held_by(const QWidget* window) const { return window != nullptr && focused_ == window; }

void FocusHandover::bring_forward(QWidget* window)
{
    focused_ = window;
    window->raise();
    window->activateWindow();
}

}  // namespace voq::ui::qt
