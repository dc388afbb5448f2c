#pragma once

#include <QPixmap>

namespace voq::ui::qt {

// Icon 106 (a grey box-shaped device) or 286 (a desk telephone), from ui/icons.
QPixmap icon_pixmap(int icon_id);

}  // namespace voq::ui::qt
