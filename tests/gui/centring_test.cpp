// Where the Linux program's screens open: in the middle of the primary screen, also on
// a desktop whose primary screen does not start at (0, 0) (one to the right of
// another, or below it). The program runs here on a primary screen away from the
// origin (centring_main.cpp).

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <ostream>
#include <vector>

#include "frontends/qt/dialog_builder.h"
#include "frontends/qt/qt_screens.h"

void PrintTo(const QPoint& point, std::ostream* out) { *out << "(" << point.x() << ", " << point.y() << ")"; }

namespace voq::ui::qt {
namespace {

struct Case {
    const char* name;
    QSize frame;
    QRect screen;
    QPoint origin;
};

TEST(CentredOrigin, TheFrameStandsInTheMiddleOfTheScreenWhereverTheScreenStarts)
{
    const std::vector<Case> cases = {
        {"at the origin", {300, 200}, {0, 0, 1024, 768}, {362, 284}},
        {"right of another screen, lower", {304, 204}, {1280, 200, 1024, 768}, {1640, 482}},
        {"left of the origin", {301, 201}, {-1920, 0, 1920, 1080}, {-1111, 439}},
        {"above the origin", {400, 300}, {0, -1080, 1920, 1080}, {760, -690}},
        {"larger than the screen: before its origin", {1000, 700}, {1280, 200, 800, 600}, {1180, 150}},
        {"an odd pixel less: the halving rounds down", {801, 601}, {1280, 200, 800, 600}, {1279, 199}},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        EXPECT_EQ(centred_origin(each.frame, each.screen), each.origin);
    }
}

TEST(CentreWindow, AScreenOpensInTheMiddleOfAPrimaryScreenAwayFromTheOrigin)
{
    const QRect primary = QGuiApplication::primaryScreen()->geometry();
    ASSERT_NE(primary.topLeft(), QPoint(0, 0)) << "the desktop of centring_main.cpp was not taken";
    QtScreens screens;
    QRect frame;
    screens.on_shown = [&frame](int, const BuiltDialog& shown) {
        QTimer::singleShot(0, shown.dialog, [&frame, dialog = shown.dialog] {
            frame = dialog->frameGeometry();
            dialog->reject();
        });
    };
    EXPECT_EQ(screens.show_warning({templates::warning, "VOQ Firmware Upgrade", "text"}), 0);
    EXPECT_TRUE(primary.contains(frame)) << "at " << frame.x() << "," << frame.y();
    EXPECT_EQ(frame.topLeft(), centred_origin(frame.size(), primary));
}

}  // namespace
}  // namespace voq::ui::qt
