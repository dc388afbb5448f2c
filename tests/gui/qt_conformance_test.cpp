// The Qt screens kept to the front-end contract of ui/screens.h, on the GUI thread of
// an offscreen application. The person is a timer on that thread, so that it goes on
// pressing while a modal screen's own event loop runs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <deque>
#include <map>

#include "frontends/qt/address_field.h"
#include "frontends/qt/qt_screens.h"
#include "support/screens_conformance.h"

namespace voq::ui::qt {
namespace {

using Clock = std::chrono::steady_clock;

// A person at the screen, pressing as planned. A press nobody could make within
// give_up is dropped and told, so that a front-end that never shows a screen fails
// instead of hanging.
class Person {
public:
    static constexpr auto give_up = std::chrono::seconds(10);

    Person(QtScreens& screens, std::vector<test::Press> plan) : plan_(plan.begin(), plan.end())
    {
        screens.on_shown = [this](int, const BuiltDialog& shown) { built_[shown.dialog] = shown; };
        QObject::connect(&timer_, &QTimer::timeout, [this] { look_around(); });
        timer_.start(5);
    }

    std::vector<std::string> problems;

private:
    // A window held by a modal box, or disabled by its own thread's modal screen, takes no input.
    static bool takes_input(QWidget* window)
    {
        QWidget* modal = QApplication::activeModalWidget();
        return window->isVisible() && window->isEnabled() && (modal == nullptr || modal == window);
    }

    void look_around()
    {
        if (plan_.empty()) return;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->windowTitle() != QString::fromStdString(plan_.front().caption) || !takes_input(window))
                continue;
            // Pressed from an event of its own: a press may open a box whose loop must find
            // this timer free to fire again, which it is not while this runs.
            QTimer::singleShot(0, window, [this, window, press = plan_.front()] { act(window, press); });
            plan_.pop_front();
            since_ = Clock::now();
            return;
        }
        if (Clock::now() - since_ < give_up) return;
        problems.push_back("nobody could press on \"" + plan_.front().caption + "\"");
        plan_.pop_front();
        since_ = Clock::now();
    }

    void act(QWidget* window, const test::Press& press)
    {
        if (press.button == test::Button::look) return;
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            box->button(QMessageBox::Ok)->click();
            return;
        }
        const auto found = built_.find(window);
        if (found == built_.end()) {
            problems.push_back("\"" + press.caption + "\" was never announced as shown");
            return;
        }
        const BuiltDialog& shown = found->second;
        const auto control = [&shown](int id) { return shown.controls.count(id) ? shown.controls.at(id) : nullptr; };
        if (press.button == test::Button::cancel) {
            if (auto* cancel = qobject_cast<QPushButton*>(control(controls::cancel))) cancel->click();
            else window->close();
            return;
        }
        if (auto* address = dynamic_cast<AddressField*>(control(controls::device_address)))
            address->fill(QString::fromStdString(press.typed));
        if (auto* user = qobject_cast<QLineEdit*>(control(controls::user_name));
            user && shown.controls.count(controls::password)) {
            user->setText(QString::fromStdString(press.typed));
            qobject_cast<QLineEdit*>(control(controls::password))->setText(QString::fromStdString(press.password));
        }
        qobject_cast<QPushButton*>(control(controls::affirmative))->click();
    }

    std::deque<test::Press> plan_;
    std::map<QWidget*, BuiltDialog> built_;
    QTimer timer_;
    Clock::time_point since_ = Clock::now();
};

class QtConformance : public ::testing::TestWithParam<test::ConformanceCase> {};

TEST_P(QtConformance, Case)
{
    QtScreens screens;
    Person person(screens, GetParam().presses);
    const auto turn_the_event_loop = [](const std::function<bool()>& finished) {
        while (!finished()) QTest::qWait(5);
    };
    EXPECT_EQ(GetParam().run(screens, turn_the_event_loop), std::vector<std::string>{});
    EXPECT_EQ(person.problems, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Qt, QtConformance, ::testing::ValuesIn(test::conformance_cases()),
                         [](const auto& info) { return test::case_name(info.param); });

TEST(QtConformanceDeathTest, EndProcessWhileAnotherThreadHoldsAScreen)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto end = [] {
        QtScreens screens;
        test::end_process_while_another_thread_holds_a_screen(screens);
    };
    EXPECT_EXIT(end(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace voq::ui::qt
