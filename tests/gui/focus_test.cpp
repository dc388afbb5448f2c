// Which screen has the focus as the screens of the program's two threads come and go,
// on an X display with no window manager to move it: a screen reader presents only the
// screen that has it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

#include "frontends/qt/qt_screens.h"
#include "ui/ids.h"

namespace voq::ui::qt {
namespace {

enum class Act { open, close, settle };

struct Step {
    Act act;
    int screen;  // by the order of opening
};

struct Case {
    const char* what;
    std::vector<Step> steps;
    int focused;  // the screen that has the focus in the end
};

QWidget* active_window() { return QApplication::activeWindow(); }

TEST(Focus, TheNewestScreenHasItAndAClosingScreenHandsItOn)
{
    const Case cases[] = {
        {"the screen opened last, of two opened together", {{Act::open, 0}, {Act::open, 1}}, 1},
        {"the screen below, once the one on top closes with the focus",
         {{Act::open, 0}, {Act::open, 1}, {Act::settle, 1}, {Act::close, 1}},
         0},
        {"the screen below, when the one on top closes before the desktop gave it the focus",
         {{Act::open, 0}, {Act::settle, 0}, {Act::open, 1}, {Act::close, 1}},
         0},
        {"the screen on top, when the one below closes",
         {{Act::open, 0}, {Act::open, 1}, {Act::settle, 1}, {Act::close, 0}},
         1},
        {"the newest of those left, as screens close one by one",
         {{Act::open, 0},
          {Act::open, 1},
          {Act::open, 2},
          {Act::settle, 2},
          {Act::close, 2},
          {Act::settle, 1},
          {Act::close, 1}},
         0},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        QtScreens screens;
        std::vector<QWidget*> shown;
        screens.on_shown = [&shown](int, const BuiltDialog& screen) { shown.push_back(screen.dialog); };
        std::vector<ProgressId> opened;
        for (const Step& step : each.steps) {
            switch (step.act) {
            case Act::open: {
                const int template_id = step.screen % 2 == 0 ? templates::waiting : templates::connecting;
                opened.push_back(
                    screens.open_progress({template_id, "screen " + std::to_string(step.screen), "", 100}));
                break;
            }
            case Act::close:
                screens.close_progress(opened.at(step.screen));
                break;
            case Act::settle:
                ASSERT_TRUE(QTest::qWaitFor([&] { return active_window() == shown.at(step.screen); }, 5000))
                    << "the newest screen never had the focus";
            }
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return active_window() == shown.at(each.focused); }, 5000))
            << "the focus is on "
            << (active_window() != nullptr ? active_window()->windowTitle().toStdString() : "nothing");
        for (std::size_t k = 0; k < opened.size(); ++k) screens.close_progress(opened[k]);
        QTest::qWait(0);
    }
}

}  // namespace
}  // namespace voq::ui::qt
