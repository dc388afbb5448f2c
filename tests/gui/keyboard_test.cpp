// The Linux front-end's screens answering the keyboard: real key events on the real
// widgets, on Qt's offscreen platform. Each case opens a screen as the program does,
// presses its keys once the screen is up and reads what the screen gave back.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "frontends/qt/address_field.h"
#include "frontends/qt/qt_screens.h"
#include "ui/texts.h"

namespace voq::ui::qt {
namespace {

// A key to press, or text to type, into whatever has the focus at that moment.
struct Key {
    Qt::Key key = Qt::Key_unknown;
    QString text;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

Key press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { return {key, {}, modifiers}; }
Key type(const QString& text) { return {Qt::Key_unknown, text, Qt::NoModifier}; }

QWidget* focus_in(QWidget* window)
{
    QWidget* focused = window->focusWidget();
    return focused != nullptr ? focused : window;
}

// Presses the keys one by one into the window's focus widget, which moves as they go.
void press_keys(QWidget* window, const std::vector<Key>& keys)
{
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window, 1000));
    for (const Key& key : keys) {
        if (key.text.isEmpty()) {
            QTest::keyClick(focus_in(window), key.key, key.modifiers);
            continue;
        }
        for (const QChar c : key.text) {
            if (c.unicode() < 0x80) QTest::keyClick(focus_in(window), c.toLatin1());
            else QTest::sendKeyEvent(QTest::Click, focus_in(window), Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

// The screens, with keys for each modal screen (and any box it opens) as it comes up.
class Keyboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        screens.on_shown = [this](int, const BuiltDialog& shown) {
            shown_screens.push_back(shown);
            if (pending.empty()) return;
            std::vector<Key> keys = pending.front();
            pending.erase(pending.begin());
            QTimer::singleShot(0, shown.dialog, [window = shown.dialog, keys] { press_keys(window, keys); });
        };
    }

    QtScreens screens;
    std::vector<std::vector<Key>> pending;  // one list a screen, in the order they open
    std::vector<BuiltDialog> shown_screens;
};

WarningView warning_view() { return {templates::warning, "VOQ Firmware Upgrade", std::string(text::warning)}; }
ConfirmView confirm_view()
{
    return {templates::confirm_direct, "Confirm Upgrade to Ver. 2.0", "text", "s", "m", "v", "h", "p"};
}
SuccessView success_view() { return {templates::success, "VOQ@10.1.0.13 Upgrade Successful!", "t", "l", "2.0"}; }
PasswordView password_view() { return {templates::password, std::string(text::password_caption), "help", "admin"}; }

struct ModalCase {
    const char* name;
    std::function<int(QtScreens&)> show;
    std::vector<Key> keys;
    int expected;
};

TEST_F(Keyboard, ModalScreensAnswerEnterSpaceTabAndEscapeAsTheWindowsDialogManagerDoes)
{
    const auto warning = [](QtScreens& s) { return s.show_warning(warning_view()); };
    const auto confirm = [](QtScreens& s) { return s.show_confirm(confirm_view()); };
    const auto success = [](QtScreens& s) { return s.show_success(success_view()); };
    const std::vector<ModalCase> cases = {
        // The warning opens on Cancel, its default: Enter and Space cancel.
        {"warning: Enter", warning, {press(Qt::Key_Return)}, 0},
        {"warning: keypad Enter", warning, {press(Qt::Key_Enter)}, 0},
        {"warning: Space", warning, {press(Qt::Key_Space)}, 0},
        {"warning: Tab to Continue, Enter", warning, {press(Qt::Key_Tab), press(Qt::Key_Return)}, 1},
        {"warning: Tab to Continue, Space", warning, {press(Qt::Key_Tab), press(Qt::Key_Space)}, 1},
        {"warning: Tab twice, back on Cancel",
         warning,
         {press(Qt::Key_Tab), press(Qt::Key_Tab), press(Qt::Key_Return)},
         0},
        {"warning: Shift+Tab to Continue",
         warning,
         {press(Qt::Key_Backtab, Qt::ShiftModifier), press(Qt::Key_Return)},
         1},
        {"warning: Escape", warning, {press(Qt::Key_Escape)}, 0},
        // The confirm screen opens on Upgrade; a user who moves to Cancel and presses
        // Enter has declined the upgrade.
        {"confirm: Enter", confirm, {press(Qt::Key_Return)}, 1},
        {"confirm: Tab to Cancel, Enter", confirm, {press(Qt::Key_Tab), press(Qt::Key_Return)}, 0},
        {"confirm: Tab to Cancel, Space", confirm, {press(Qt::Key_Tab), press(Qt::Key_Space)}, 0},
        {"confirm: Escape", confirm, {press(Qt::Key_Escape)}, 0},
        // The success screen has no Cancel: Escape is its close box.
        {"success: Enter", success, {press(Qt::Key_Return)}, 1},
        {"success: Escape", success, {press(Qt::Key_Escape)}, 0},
    };
    for (const ModalCase& each : cases) {
        SCOPED_TRACE(each.name);
        pending = {each.keys};
        EXPECT_EQ(each.show(screens), each.expected);
    }
}

TEST_F(Keyboard, FocusOnTheTextPaneMakesEnterPressTheDefaultButtonAgain)
{
    // Tab from Upgrade goes to Cancel, then to the five value fields and the text
    // pane; there Enter belongs to the default button, Upgrade.
    std::vector<Key> keys(7, press(Qt::Key_Tab));
    keys.push_back(press(Qt::Key_Return));
    pending = {keys};
    EXPECT_EQ(screens.show_confirm(confirm_view()), 1);
}

struct AddressCase {
    const char* name;
    std::vector<Key> keys;           // on the address screen; then Escape when it stays open
    std::vector<std::string> typed;  // what each OK handed to the parser
    int expected;
};

TEST_F(Keyboard, TheAddressScreenTakesTheAddressTypedIntoItsFourBoxes)
{
    const std::vector<AddressCase> cases = {
        {"Enter in the field is OK", {type("10.1.0.13"), press(Qt::Key_Return)}, {"10.1.0.13"}, 1},
        {"three digits move on", {type("192168001020"), press(Qt::Key_Return)}, {"192.168.001.020"}, 1},
        {"a box left empty is an empty group",
         {type("10.1."), press(Qt::Key_Right), press(Qt::Key_Right), type("13"), press(Qt::Key_Return)},
         {"10.1..13"},
         1},
        {"a dot in an empty box is ignored", {type("10..1.0.13"), press(Qt::Key_Return)}, {"10.1.0.13"}, 1},
        {"a box holds no more than 255", {type("300.1.0.13"), press(Qt::Key_Return)}, {"255.1.0.13"}, 1},
        {"letters are not taken", {type("1a0.1.0.13"), press(Qt::Key_Return)}, {"10.1.0.13"}, 1},
        {"Backspace moves back",
         {type("10.2"), press(Qt::Key_Backspace), press(Qt::Key_Backspace), press(Qt::Key_Backspace), type(".2.0.13"),
          press(Qt::Key_Return)},
         {"1.2.0.13"},
         1},
        {"Tab leaves the field for OK",
         {type("10.1.0.13"), press(Qt::Key_Tab), press(Qt::Key_Return)},
         {"10.1.0.13"},
         1},
        {"Tab twice reaches Cancel",
         {type("10.1.0.13"), press(Qt::Key_Tab), press(Qt::Key_Tab), press(Qt::Key_Return)},
         {},
         0},
        // The four boxes are one control: Shift+Tab from any of them leaves the field,
        // so what is typed next does not reach it.
        {"Shift+Tab from the second box leaves the field",
         {type("10.1"), press(Qt::Key_Backtab, Qt::ShiftModifier), type("7"), press(Qt::Key_Return)},
         {"10.1.."},
         1},
        {"Shift+Tab from the fourth box leaves the field",
         {type("10.1.0.13"), press(Qt::Key_Backtab, Qt::ShiftModifier), press(Qt::Key_Backspace),
          press(Qt::Key_Return)},
         {"10.1.0.13"},
         1},
        {"Escape cancels", {type("10.1.0.13"), press(Qt::Key_Escape)}, {}, 0},
    };
    for (const AddressCase& each : cases) {
        SCOPED_TRACE(each.name);
        pending = {each.keys};
        std::vector<std::string> typed;
        const int result = screens.show_address({templates::address_adapter, "c", "i", "h", "v", {"10.1.0.2"}},
                                                [&typed](std::string_view text, int) {
                                                    typed.emplace_back(text);
                                                    return true;
                                                });
        EXPECT_EQ(result, each.expected);
        EXPECT_EQ(typed, each.typed);
    }
}

TEST_F(Keyboard, ShiftTabFromAnyBoxOfTheAddressFieldLandsOnTheDropDownListBeforeIt)
{
    for (int from_box = 0; from_box < 4; ++from_box) {
        SCOPED_TRACE(from_box);
        QWidget* landed = nullptr;
        screens.on_shown = [&](int, const BuiltDialog& shown) {
            QTimer::singleShot(0, shown.dialog, [&, shown] {
                auto* field = static_cast<AddressField*>(shown.controls.at(1000));
                field->box(from_box)->setFocus(Qt::MouseFocusReason);
                press_keys(shown.dialog, {press(Qt::Key_Backtab, Qt::ShiftModifier)});
                landed = shown.dialog->focusWidget();
                EXPECT_EQ(landed, shown.controls.at(1017));
                shown.dialog->reject();
            });
        };
        screens.show_address({templates::address_adapter, "c", "i", "h", "v", {"10.1.0.2"}},
                             [](std::string_view, int) { return true; });
        EXPECT_NE(landed, nullptr);
    }
}

TEST_F(Keyboard, PastingADottedAddressFillsTheBoxes)
{
    QGuiApplication::clipboard()->setText(" 10.1.0.123 ");
    pending = {{press(Qt::Key_V, Qt::ControlModifier), press(Qt::Key_Return)}};
    std::string typed;
    EXPECT_EQ(screens.show_address({templates::address_phone, "c", "i", "h", "v", {}},
                                   [&typed](std::string_view text, int) {
                                       typed = text;
                                       return true;
                                   }),
              1);
    EXPECT_EQ(typed, "10.1.0.123");
}

QMessageBox* open_message_box()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(top);
        if (box != nullptr && box->isVisible()) return box;
    }
    return nullptr;
}

TEST_F(Keyboard, ARefusedAddressKeepsTheScreenOpenWithTheFocusBackInTheField)
{
    // Each refusal box is dismissed with Enter, then the next attempt is typed.
    const std::vector<std::vector<Key>> attempts = {
        {press(Qt::Key_Return)},
        {type("10.1."), press(Qt::Key_Right), type("13"), press(Qt::Key_Return)},
        {type("10.1.0.13"), press(Qt::Key_Return)},
    };
    pending = {attempts[0]};
    std::size_t next_attempt = 1;
    std::vector<std::string> typed;
    std::vector<std::string> refusals;
    const int result = screens.show_address(
        {templates::address_adapter, "c", "i", "h", "v", {"10.1.0.2"}}, [&](std::string_view text, int) {
            typed.emplace_back(text);
            if (text == "10.1.0.13") return true;
            QTimer::singleShot(0, [&] {
                QMessageBox* box = open_message_box();
                ASSERT_NE(box, nullptr);
                refusals.push_back(box->windowTitle().toStdString() + ": " + box->text().toStdString());
                press_keys(box, {press(Qt::Key_Return)});
                // Once the box has gone and the screen has put the focus back.
                QTimer::singleShot(20, [&] { press_keys(shown_screens.back().dialog, attempts.at(next_attempt++)); });
            });
            return false;
        });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(typed, (std::vector<std::string>{"...", "10.1..13", "10.1.0.13"}));
    EXPECT_EQ(refusals, (std::vector<std::string>(2, "Error: Invalid IP Address")));
}

TEST_F(Keyboard, AnAddressTypedWholeAfterARefusalIsTheAddressUsed)
{
    // The focus comes back to the first box with its digits selected; every box entered
    // after it has its old digits selected too, and typing replaces them.
    const struct {
        const char* name;
        QString refused;
        QString typed_again;
    } cases[] = {
        {"an address of short groups after two groups", "10.1", "127.3.2.2"},
        {"a private address after two groups", "10.1", "192.168.1.1"},
        {"three-digit groups over a whole address", "10.1.5.6", "192.168.100.200"},
        {"one-digit groups over three-digit ones", "255.255.255.255", "1.2.3.4"},
        {"groups of three after an empty box", "10.1..13", "127.0.124.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pending = {{type(c.refused), press(Qt::Key_Return)}};
        std::vector<std::string> typed;
        const int result = screens.show_address(
            {templates::address_adapter, "c", "i", "h", "v", {"10.1.0.2"}}, [&](std::string_view text, int) {
                typed.emplace_back(text);
                if (typed.size() > 1) return true;
                QTimer::singleShot(0, [&] {
                    QMessageBox* box = open_message_box();
                    ASSERT_NE(box, nullptr);
                    press_keys(box, {press(Qt::Key_Return)});
                    QTimer::singleShot(20, [&] {
                        press_keys(shown_screens.back().dialog, {type(c.typed_again), press(Qt::Key_Return)});
                    });
                });
                return false;
            });
        EXPECT_EQ(result, 1);
        ASSERT_EQ(typed.size(), 2u);
        EXPECT_EQ(typed[1], c.typed_again.toStdString());
    }
}

ProgressView progress_view(int template_id)
{
    return {template_id,
            template_id == templates::waiting ? std::string(text::waiting_caption) : "Connecting with VOQ@10.1.0.13",
            std::string(text::waiting), 100};
}

QPoint middle_of(QWidget* control) { return control->mapTo(control->window(), control->rect().center()); }

struct ProgressCase {
    const char* name;
    std::vector<Key> keys;
    Pump expected;
};

TEST_F(Keyboard, OnAProgressScreenEnterAndEscapeDoNothingAndSpacePressesCancel)
{
    // As the Windows program, which polls these screens without the dialog manager.
    const std::vector<ProgressCase> cases = {
        {"Escape", {press(Qt::Key_Escape)}, Pump::quiet},
        {"Enter", {press(Qt::Key_Return)}, Pump::quiet},
        {"keypad Enter", {press(Qt::Key_Enter)}, Pump::quiet},
        {"Tab, Enter", {press(Qt::Key_Tab), press(Qt::Key_Return)}, Pump::quiet},
        {"Space on Cancel", {press(Qt::Key_Space)}, Pump::cancelled},
    };
    for (const int template_id : {templates::connecting, templates::waiting, templates::uploading}) {
        for (const ProgressCase& each : cases) {
            SCOPED_TRACE(std::to_string(template_id) + ": " + each.name);
            pending = {each.keys};
            const ProgressId screen = screens.open_progress(progress_view(template_id));
            QTest::qWait(30);
            EXPECT_EQ(screens.pump(screen, 1), each.expected);
            screens.close_progress(screen);
        }
    }
}

TEST_F(Keyboard, AClickOnTheProgressBarLeavesTheFocusOnCancel)
{
    const ProgressId screen = screens.open_progress(progress_view(templates::uploading));
    const BuiltDialog shown = shown_screens.back();
    shown.dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(shown.dialog, 1000));
    QTest::mouseClick(shown.dialog->windowHandle(), Qt::LeftButton, Qt::NoModifier, middle_of(shown.controls.at(1010)));
    EXPECT_EQ(shown.dialog->focusWidget(), shown.controls.at(2));
    screens.close_progress(screen);
}


TEST_F(Keyboard, ThePasswordScreenOfOneThreadLeavesTheWaitingScreenOfAnotherUsable)
{
    // The listener's thread opens the waiting screen; this one, as the main thread,
    // asks for the password of the upgrade request.
    ProgressId waiting = 0;
    std::thread listener([&] { waiting = screens.open_progress(progress_view(templates::waiting)); });
    while (shown_screens.empty()) QTest::qWait(5);
    listener.join();
    const BuiltDialog waiting_screen = shown_screens.back();
    Pump seen_from_the_listener = Pump::quiet;
    bool waiting_screen_enabled = false;
    screens.on_shown = [&](int, const BuiltDialog& password_screen) {
        QTimer::singleShot(0, password_screen.dialog, [&, password_screen] {
            waiting_screen_enabled = waiting_screen.dialog->isEnabled();
            // Through the window system, which drops input to a window a modal one blocks.
            QWidget* cancel = waiting_screen.controls.at(2);
            QTest::mouseClick(waiting_screen.dialog->windowHandle(), Qt::LeftButton, Qt::NoModifier, middle_of(cancel));
            seen_from_the_listener = screens.pump(waiting, 1);
            press_keys(password_screen.dialog, {type("secret"), press(Qt::Key_Return)});
        });
    };
    const PasswordAnswer answer = screens.show_password(password_view());
    EXPECT_TRUE(waiting_screen_enabled);
    EXPECT_EQ(seen_from_the_listener, Pump::cancelled);
    EXPECT_TRUE(answer.ok);
    EXPECT_EQ(answer.password, "secret");
    screens.close_progress(waiting);
}

TEST_F(Keyboard, AnErrorBoxHoldsTheScreensOfItsOwnThreadOnly)
{
    const ProgressId main_screen = screens.open_progress(progress_view(templates::connecting));
    const BuiltDialog main_dialog = shown_screens.back();
    BuiltDialog listener_dialog;
    bool listener_screen_enabled = true;
    bool main_screen_enabled = false;
    std::string box_title;
    // The box runs its own loop on this thread: it is looked at and answered from there.
    screens.on_shown = [&](int template_id, const BuiltDialog& shown) {
        if (template_id != 0) {
            listener_dialog = shown;
            return;
        }
        QTimer::singleShot(0, shown.dialog, [&, box = shown.dialog] {
            listener_screen_enabled = listener_dialog.dialog->isEnabled();
            main_screen_enabled = main_dialog.dialog->isEnabled();
            box_title = box->windowTitle().toStdString();
            press_keys(box, {press(Qt::Key_Return)});
        });
    };
    std::atomic<bool> reported{false};
    std::thread listener([&] {
        const ProgressId waiting = screens.open_progress(progress_view(templates::waiting));
        screens.report_error("Upgrade Failed: Test", text::error_title);
        screens.close_progress(waiting);
        reported = true;
    });
    for (int k = 0; k < 1000 && !reported; ++k) QTest::qWait(5);
    listener.join();
    EXPECT_FALSE(listener_screen_enabled);
    EXPECT_TRUE(main_screen_enabled);
    EXPECT_EQ(box_title, text::error_title);
    screens.close_progress(main_screen);
}

TEST_F(Keyboard, ThePasswordScreenRefusesACharacterWithoutAn8BitFormAndTakesLatin1)
{
    // A Polish l has no Latin-1 byte; e acute has one, 0xe9, sent as such.
    pending = {{type(QString::fromUtf8("z\xc5\x82oty")), press(Qt::Key_Return)}};
    std::vector<std::string> refusals;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QMessageBox* box = open_message_box();
        if (box == nullptr || !box->isVisible() || box->property("answered").toBool()) return;
        box->setProperty("answered", true);
        refusals.push_back(box->text().toStdString());
        press_keys(box, {press(Qt::Key_Return)});
        QTimer::singleShot(20, [&] {
            press_keys(shown_screens.back().dialog,
                       {press(Qt::Key_End), press(Qt::Key_Backspace), press(Qt::Key_Backspace),
                        press(Qt::Key_Backspace), press(Qt::Key_Backspace), press(Qt::Key_Backspace),
                        type(QString::fromUtf8("\xc3\xa9t\xc3\xa9")), press(Qt::Key_Return)});
        });
    });
    watch.start();
    const PasswordAnswer answer = screens.show_password(password_view());
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(answer.user_name, "admin");
    EXPECT_EQ(answer.password, "\xe9t\xe9");
    EXPECT_EQ(refusals, std::vector<std::string>{from_text(text::unsendable_credentials).toStdString()});
}

TEST_F(Keyboard, TheScreensShowTheCaptionsOfTheirTemplatesAndViews)
{
    pending = {{press(Qt::Key_Escape)}};
    screens.show_password(password_view());
    EXPECT_EQ(shown_screens.back().dialog->windowTitle().toStdString(), "Enter Password Information");
    for (const int template_id : {templates::waiting, templates::uploading}) {
        const ProgressId screen =
            screens.open_progress({template_id,
                                   template_id == templates::waiting ? std::string(text::waiting_caption)
                                                                     : std::string(text::uploading_caption),
                                   "", 10});
        EXPECT_EQ(shown_screens.back().dialog->windowTitle().toStdString(),
                  template_id == templates::waiting ? "Waiting For Firmware Download Request From VOQ"
                                                    : "Uploading Firmware To VOQ");
        screens.close_progress(screen);
    }
}

}  // namespace
}  // namespace voq::ui::qt
