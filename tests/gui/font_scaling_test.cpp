// The screens take the desktop's font at the size its user chose, and their layout
// grows with it: a larger font gives larger screens, with every control still inside.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

#include "frontends/qt/dialog_builder.h"
#include "ui/dialog_templates.h"

namespace voq::ui::qt {
namespace {

TEST(FontScaling, TheScreensGrowWithTheDesktopsFontAndKeepTheirControlsInside)
{
    const QFont desktop = QApplication::font();
    for (const DialogTemplate& layout : all_templates()) {
        SCOPED_TRACE(layout.id);
        QSize before;
        for (const int points : {8, 10, 14, 20}) {
            SCOPED_TRACE(points);
            QFont font = desktop;
            font.setPointSize(points);
            QApplication::setFont(font);
            const BuiltDialog built = build_dialog(layout.id);
            EXPECT_EQ(built.dialog->font().pointSize(), points);
            const QSize size = built.dialog->size();
            EXPECT_GT(size.width(), before.width());
            EXPECT_GT(size.height(), before.height());
            before = size;
            for (const auto& [id, control] : built.controls) {
                EXPECT_TRUE(built.dialog->rect().contains(control->geometry())) << "control " << id;
            }
            delete built.dialog;
        }
    }
    QApplication::setFont(desktop);
}

}  // namespace
}  // namespace voq::ui::qt
