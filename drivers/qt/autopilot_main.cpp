// voq-upgrade-autopilot: the Linux program with a user of its own, for the demo on a
// machine without a display and for the tests. It types and clicks into the real
// widgets and writes a PNG of every screen it sees.
//
//   voq-upgrade-autopilot --shots DIR --address A [--password P] [--restart-wait-units N]
//                         [--transfer-silence-floor-ms N] [--reread-spacing-ms N]
//                         [--local-address PC ...]
//                         [--keys KEYS [--key-interval-ms N] [--char-interval-ms N]] [--reader DIR]
//   voq-upgrade-autopilot --shots DIR --gallery      every template once, no upgrade; then
//                                                    again in DIR/dark under a dark palette
// With --keys (drivers/key_script.h) the user has only the keyboard. With --reader a
// screen reader has its look at each screen before the user's turn: the autopilot
// leaves DIR/N.shown (N counting the screens from 1, the file holding the screen's
// name) and takes its turn once DIR/N.read is there, or after reader_patience_ms.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "app/device_address.h"
#include "app/entry.h"
#include "drivers/gallery.h"
#include "drivers/key_script.h"
#include "firmware/embedded.h"
#include "frontends/qt/qt_screens.h"
#include "session/settings.h"
#include "tftp/completion.h"

namespace {

using voq::ui::qt::BuiltDialog;

struct Settings {
    QString shots;
    std::string log_folder;  // where the program would keep its support log
    std::string address;
    std::string password;
    std::uint32_t restart_wait_ms = voq::session::settings::restart_wait_ms;
    std::uint32_t transfer_silence_floor_ms = voq::session::settings::transfer_silence_floor_ms;
    std::uint32_t reread_spacing_ms = voq::session::settings::reread_spacing_ms;
    bool gallery = false;
    std::vector<std::uint32_t> local_addresses;  // instead of the machine's, when given
    bool keyboard_only = false;
    voq::autopilot::KeyScript keys;
    QString reader;
    int key_interval_ms = 80;  // a screen reader needs longer to have its say between keys
    int char_interval_ms = 0;  // 0: a typed text goes at once
};

constexpr int reader_patience_ms = 20000;

Settings settings;
std::ofstream summary;
std::set<QString> taken;

void shoot(QWidget* window, const QString& name)
{
    if (taken.count(name) > 0) return;
    taken.insert(name);
    window->grab().save(settings.shots + "/" + name + ".png");
    summary << "screen " << name.toStdString() << " \"" << window->windowTitle().toStdString() << "\"\n";
    summary.flush();
}

// Types into whatever has the focus, which the address field moves from box to box.
// Where a key goes: the focus of the moment, which is in a box the screen has opened
// meanwhile if there is one.
QWidget* focus_for(QWidget* window)
{
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal->focusWidget() != nullptr)
        return modal->focusWidget();
    return window->focusWidget() != nullptr ? window->focusWidget() : window;
}

// Any character: ASCII as its key, the rest as the text a keyboard layout or an input
// method delivers.
void type(QWidget* dialog, const std::string& utf8)
{
    for (const QChar c : QString::fromUtf8(utf8)) {
        if (c.unicode() < 0x80) QTest::keyClick(focus_for(dialog), c.toLatin1());
        else QTest::sendKeyEvent(QTest::Click, focus_for(dialog), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void press_key(QWidget* window, const std::string& key)
{
    QWidget* focus = focus_for(window);
    if (key == "Tab") QTest::keyClick(focus, Qt::Key_Tab);
    else if (key == "Return") QTest::keyClick(focus, Qt::Key_Return);
    else if (key == "Escape") QTest::keyClick(focus, Qt::Key_Escape);
    else if (key == "Space") QTest::keyClick(focus, Qt::Key_Space);
    else if (key == "Right") QTest::keyClick(focus, Qt::Key_Right);
    else if (key == "Down") QTest::keyClick(focus, Qt::Key_Down);
    else if (key == "Shift+Tab") QTest::keyClick(focus, Qt::Key_Backtab, Qt::ShiftModifier);
    else if (key == "Backspace") QTest::keyClick(focus, Qt::Key_Backspace);
    else if (key == "address") type(window, settings.address);
    else if (key == "password") type(window, settings.password);
    else if (voq::autopilot::is_typed_text(key)) type(window, voq::autopilot::typed_text(key));
}

// One key of the script, and how long after the one before it comes.
struct Step {
    std::string key;
    int delay_ms;
    std::string noted;  // what the summary says for it: a typed text's name once, not its characters
};

// With --char-interval-ms a typed text goes character by character, each to the focus
// of its moment: a screen reader's key listener makes the toolkit hold each key until
// the reader has seen it, so a text typed at once would all land in one address box.
std::vector<Step> steps_of(const std::vector<std::string>& keys)
{
    std::vector<Step> steps;
    for (const std::string& key : keys) {
        const int delay = steps.empty() ? 0 : settings.key_interval_ms;
        std::string text;
        if (key == "address") text = settings.address;
        else if (key == "password") text = settings.password;
        else if (voq::autopilot::is_typed_text(key)) text = voq::autopilot::typed_text(key);
        if (settings.char_interval_ms <= 0 || text.empty()) {
            steps.push_back({key, delay, key});
            continue;
        }
        const QString characters = QString::fromUtf8(text);
        for (qsizetype k = 0; k < characters.size(); ++k)
            steps.push_back({"'" + QString(characters[k]).toStdString(), k == 0 ? delay : settings.char_interval_ms,
                             k == 0 ? key : std::string()});
    }
    return steps;
}

// The script's keys for a screen, one by one from the event loop like a keyboard's:
// a key that opens a box (and waits in it) does not hold back the keys after it.
void press_keys_from(QPointer<QWidget> window, const std::string& name, const std::vector<Step>& steps,
                     std::size_t next)
{
    if (next >= steps.size()) return;
    QTimer::singleShot(steps[next].delay_ms, qApp, [window, name, steps, next] {
        if (!window) return;
        press_keys_from(window, name, steps, next + 1);
        if (!steps[next].noted.empty()) {
            summary << "key " << name << " " << steps[next].noted << "\n";
            summary.flush();
        }
        press_key(window, steps[next].key);
    });
}

void press_keys(QWidget* window, const std::string& name)
{
    window->activateWindow();
    // Keys go in whether or not the window system has made it active by then.
    static_cast<void>(QTest::qWaitForWindowActive(window, 500));
    press_keys_from(window, name, steps_of(voq::autopilot::keys_for(settings.keys, name)), 0);
}

void click(const BuiltDialog& screen, int id)
{
    QTest::mouseClick(qobject_cast<QPushButton*>(screen.controls.at(id)), Qt::LeftButton);
}

// The user's turn, once the screen reader (--reader) has had its look at the window.
void after_reader(QWidget* window, const QString& name, const std::function<void()>& turn)
{
    if (settings.reader.isEmpty()) {
        turn();
        return;
    }
    static int shown = 0;
    const QString base = settings.reader + "/" + QString::number(++shown);
    QFile note(base + ".shown.part");
    if (note.open(QIODevice::WriteOnly)) note.write(name.toUtf8());
    note.close();
    note.rename(base + ".shown");
    auto* poll = new QTimer(window);
    const auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QObject::connect(poll, &QTimer::timeout, window, [poll, waited, base, turn] {
        if (!QFile::exists(base + ".read") && waited->elapsed() < reader_patience_ms) return;
        poll->stop();
        turn();
    });
    poll->start(50);
}

// What the scripted user does on a screen (nothing on a progress screen).
void take_turn(int template_id, const BuiltDialog& screen, QDialog* dialog, const QString& name, bool progress)
{
    if (settings.keyboard_only) {
        press_keys(dialog, name.toStdString());
        return;
    }
    if (progress) return;
    if (settings.gallery) {
        dialog->reject();
        return;
    }
    namespace templates = voq::ui::templates;
    switch (template_id) {
    case templates::address_adapter:
    case templates::address_phone:
        type(dialog, settings.address);
        click(screen, voq::ui::controls::affirmative);
        break;
    case templates::password:
        type(dialog, settings.password);
        click(screen, voq::ui::controls::affirmative);
        break;
    default:
        click(screen, voq::ui::controls::affirmative);  // Continue, Upgrade, OK
    }
}

// A dark desktop, as a user who needs high contrast or dislikes glare has it: the
// Fusion style with light text on dark ground.
void use_dark_palette()
{
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    const QColor ground(45, 45, 45), field(30, 30, 30), text(235, 235, 235), muted(140, 140, 140);
    QPalette dark;
    for (const auto role : {QPalette::Window, QPalette::Button, QPalette::AlternateBase, QPalette::ToolTipBase})
        dark.setColor(role, ground);
    dark.setColor(QPalette::Base, field);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText})
        dark.setColor(role, text);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, muted);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    dark.setColor(QPalette::Link, QColor(120, 180, 255));
    QApplication::setPalette(dark);
}

// The scripted user's turn on a screen that has just opened.
void answer(int template_id, const BuiltDialog& screen)
{
    const QString name = template_id == 0 ? "message" : QString::number(template_id);
    QDialog* dialog = screen.dialog;
    if (template_id == 0) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        summary << "message \"" << box->text().toStdString() << "\"\n";
        QTimer::singleShot(200, box, [box, name] {
            shoot(box, name);
            after_reader(box, name, [box, name] {
                if (settings.keyboard_only) press_keys(box, name.toStdString());
                else box->accept();
            });
        });
        return;
    }
    // Progress screens are taken once their bar has moved.
    namespace templates = voq::ui::templates;
    const bool progress = template_id == templates::connecting || template_id == templates::waiting ||
                          template_id == templates::uploading;
    QTimer::singleShot(progress ? 250 : 150, dialog, [template_id, screen, dialog, name, progress] {
        shoot(dialog, name);
        after_reader(dialog, name, [template_id, screen, dialog, name, progress] {
            take_turn(template_id, screen, dialog, name, progress);
        });
    });
}

bool read_settings(int argc, char** argv)
{
    for (int k = 1; k < argc; ++k) {
        const std::string option = argv[k];
        const bool has_value = k + 1 < argc;
        if (option == "--gallery") settings.gallery = true;
        else if (option == "--shots" && has_value) settings.shots = argv[++k];
        else if (option == "--address" && has_value) settings.address = argv[++k];
        else if (option == "--password" && has_value) settings.password = argv[++k];
        else if (option == "--restart-wait-units" && has_value)
            settings.restart_wait_ms = voq::tftp::restart_wait_ms_of_units(std::atoi(argv[++k]));
        else if (option == "--transfer-silence-floor-ms" && has_value)
            settings.transfer_silence_floor_ms = static_cast<std::uint32_t>(std::strtoul(argv[++k], nullptr, 10));
        else if (option == "--reread-spacing-ms" && has_value)
            settings.reread_spacing_ms = static_cast<std::uint32_t>(std::strtoul(argv[++k], nullptr, 10));
        else if (option == "--reader" && has_value) settings.reader = argv[++k];
        else if (option == "--log-folder" && has_value) settings.log_folder = argv[++k];
        else if (option == "--key-interval-ms" && has_value)
            settings.key_interval_ms = std::clamp(std::atoi(argv[++k]), 0, 10000);
        else if (option == "--char-interval-ms" && has_value)
            settings.char_interval_ms = std::clamp(std::atoi(argv[++k]), 0, 10000);
        else if (option == "--keys" && has_value) {
            settings.keyboard_only = true;
            settings.keys = voq::autopilot::read_key_script(argv[++k]);
        } else if (option == "--local-address" && has_value) {
            std::uint32_t address = 0;
            if (voq::app::parse_device_address(argv[++k], &address) != voq::app::AddressCode::accepted) return false;
            settings.local_addresses.push_back(address);
        } else return false;
    }
    return !settings.shots.isEmpty() && (settings.gallery || !settings.address.empty());
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (!read_settings(argc, argv)) {
        std::fputs(
            "usage: voq-upgrade-autopilot --shots DIR (--gallery | --address A [--password P] "
            "[--restart-wait-units N] [--transfer-silence-floor-ms N] [--reread-spacing-ms N] "
            "[--local-address PC ...] [--keys KEYS [--key-interval-ms N] [--char-interval-ms N]] [--reader DIR] "
            "[--log-folder DIR])\n",
            stderr);
        return 2;
    }
    application.setQuitOnLastWindowClosed(false);
    QDir().mkpath(settings.shots);
    summary.open((settings.shots + "/summary.txt").toStdString());

    static voq::ui::qt::QtScreens screens;
    screens.on_shown = answer;
    static voq::ui::SupportLog log;
    if (!settings.log_folder.empty()) {
        log = voq::ui::SupportLog::in_folder(settings.log_folder);
        log.begin("voq-upgrade-autopilot", "");
        screens.keep_log(log);
    }
    // The gallery shows the staged screens too, so it loads both images.
    static voq::session::Session session(settings.gallery ? 0 : voq::fw::built_stage_flag());
    session.restart_wait_ms = settings.restart_wait_ms;
    session.transfer_silence_floor_ms = settings.transfer_silence_floor_ms;
    session.reread_spacing_ms = settings.reread_spacing_ms;
    voq::app::StartupServices services = voq::app::standard_startup_services();
    if (!settings.local_addresses.empty()) services.local_addresses = [] { return settings.local_addresses; };
    int status = 0;
    std::thread wizard([&] {
        if (settings.gallery) {
            voq::ui::show_every_screen(screens, session);
            QMetaObject::invokeMethod(
                &application,
                [] {
                    use_dark_palette();
                    settings.shots += "/dark";
                    QDir().mkpath(settings.shots);
                    taken.clear();
                },
                Qt::BlockingQueuedConnection);
            session.stage_flag = 0;
            voq::ui::show_every_screen(screens, session);
        } else {
            status = voq::app::program_entry(session, screens, services);
        }
        summary << "exit " << status << "\n";
        summary.flush();
        QMetaObject::invokeMethod(&application, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    application.exec();
    wizard.join();
    return status;
}
