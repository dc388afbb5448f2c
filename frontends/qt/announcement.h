#pragma once

#include <QString>
#include <QWidget>

namespace voq::ui::qt {

// Tells a screen reader a text about a window as a notification, which it presents
// wherever the focus is. A window's new title alone is lost on Orca 43: it presents a
// name change only on the focus or on a frame, and the toolkit (Qt 6.4) has no
// announcement event. The notification, which goes with the window, is in no list of
// children: a review of the window finds what it always found.
void announce(QWidget* window, const QString& text);

}  // namespace voq::ui::qt
