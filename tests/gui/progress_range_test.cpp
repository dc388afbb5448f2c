// The uploading bar as the restart wait takes it over with a range of its own: what a
// screen reader reads from it stays within the bar.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QProgressBar>
#include <QTest>

#include "frontends/qt/qt_screens.h"
#include "ui/ids.h"

namespace voq::ui::qt {
namespace {

TEST(ProgressRange, ANewRangeLeavesTheBarWithinIt)
{
    const struct {
        const char* what;
        int position;
        int high;
        int value_after;
    } cases[] = {
        {"the transfer's position past the wait's range", 80, 40, 0},
        {"the transfer's position within the wait's range", 30, 40, 30},
        {"the transfer done, the same range", 100, 100, 100},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        QtScreens screens;
        QProgressBar* bar = nullptr;
        screens.on_shown = [&bar](int, const BuiltDialog& screen) {
            bar = qobject_cast<QProgressBar*>(screen.controls.at(controls::progress_bar));
        };
        const ProgressId uploading = screens.open_progress({templates::uploading, "Uploading", "", 100});
        ASSERT_NE(bar, nullptr);
        screens.set_progress_position(uploading, each.position);
        ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() == each.position; }, 5000));
        screens.set_progress_range(uploading, each.high);
        EXPECT_EQ(bar->value(), each.value_after);
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(bar);
        ASSERT_NE(read, nullptr);
        ASSERT_NE(read->valueInterface(), nullptr);
        EXPECT_EQ(read->valueInterface()->currentValue().toInt(), each.value_after);
        screens.close_progress(uploading);
    }
}

}  // namespace
}  // namespace voq::ui::qt
