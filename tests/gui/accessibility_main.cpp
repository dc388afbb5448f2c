// The accessibility tests run on an X display with the accessibility bus, where the
// toolkit tells the widgets that someone listens; what the program lets out goes to the
// tests' own handler, not to the bus.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTest>

namespace voq::ui::qt {
void hear_accessibility_event(QAccessibleEvent* event);
}

int main(int argc, char** argv)
{
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    // First of all, so that the program's own handler, installed with its first
    // screen, passes what it lets out to this one.
    QAccessible::installUpdateHandler(voq::ui::qt::hear_accessibility_event);
    // The toolkit learns from the bus that someone listens once its loop has run.
    static_cast<void>(QTest::qWaitFor([] { return QAccessible::isActive(); }, 10000));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
