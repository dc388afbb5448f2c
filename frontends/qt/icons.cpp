#include "frontends/qt/icons.h"

#include "ui/dialog_templates.h"
#include "ui/icons/device_106.xpm"
#include "ui/icons/phone_286.xpm"

namespace voq::ui::qt {

QPixmap icon_pixmap(int icon_id) { return QPixmap(icon_id == device_icon ? device_106_xpm : phone_286_xpm); }

}  // namespace voq::ui::qt
