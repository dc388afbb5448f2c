// voq-upgrade-autopilot: the Linux program with a user of its own, for the demo on a
// machine without a display and for the tests. It types and clicks into the real
// widgets and writes a PNG of every screen it sees.
//
//   voq-upgrade-autopilot --shots DIR --address A [--password P] [--restart-wait-units N]
//                         [--local-address PC ...]
//   voq-upgrade-autopilot --shots DIR --gallery      every template once, no upgrade

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "app/device_address.h"
#include "app/entry.h"
#include "app/views.h"
#include "firmware/embedded.h"
#include "ui/qt/qt_screens.h"

namespace {

using voq::ui::qt::BuiltDialog;

struct Settings {
    QString shots;
    std::string address;
    std::string password;
    int restart_wait_units = 937;
    bool gallery = false;
    std::vector<std::uint32_t> local_addresses;  // instead of the machine's, when given
};

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

void click(const BuiltDialog& screen, int id)
{
    QTest::mouseClick(qobject_cast<QPushButton*>(screen.controls.at(id)), Qt::LeftButton);
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
            box->accept();
        });
        return;
    }
    // Progress screens are taken once their bar has moved.
    const bool progress = template_id == 105 || template_id == 114 || template_id == 110;
    QTimer::singleShot(progress ? 250 : 150, dialog, [template_id, screen, dialog, name, progress] {
        shoot(dialog, name);
        if (progress) return;
        if (settings.gallery) {
            dialog->reject();
            return;
        }
        switch (template_id) {
        case 101:
        case 305:
            QTest::keyClicks(screen.controls.at(1000), QString::fromStdString(settings.address));
            click(screen, 1);
            break;
        case 104:
            QTest::keyClicks(screen.controls.at(1005), QString::fromStdString(settings.password));
            click(screen, 1);
            break;
        default: click(screen, 1);  // Continue, Upgrade, OK
        }
    });
}

// Every template once, filled by the core's views, without a device.
int gallery(voq::ui::qt::QtScreens& screens, voq::app::Session& session)
{
    voq::app::run_startup(session, voq::app::standard_startup_services());
    session.device_address_text.assign("192.168.1.20");
    session.device_info.product_name.assign("VOQ-3300");
    session.device_info.mac_address.assign("00:0E:08:C0:FF:EE");
    session.device_info.software_version.assign("2.0.11");
    session.device_info.hardware_version.assign("1.0.3");
    session.device_info.serial_number.assign("VQ3300A01234");
    screens.show_warning(voq::app::warning_view(session));
    screens.show_address(voq::app::address_view(session), [](std::string_view, int) { return false; });
    session.phone_style = 1;
    screens.show_address(voq::app::address_view(session), [](std::string_view, int) { return false; });
    screens.show_password(voq::app::password_view());
    screens.show_confirm(voq::app::confirm_view(session));
    session.stage_flag = 1;
    screens.show_confirm(voq::app::confirm_view(session));
    const auto progress = [&](const voq::ui::ProgressView& view, const std::string& caption, int position) {
        const voq::ui::ProgressId screen = screens.open_progress(view);
        if (!caption.empty()) screens.set_progress_caption(screen, caption);
        screens.set_progress_position(screen, position);
        std::this_thread::sleep_for(std::chrono::milliseconds(900));
        screens.close_progress(screen);
    };
    progress(voq::app::connecting_view(session), "", 40);
    progress(voq::app::waiting_view(true), "", 350);
    progress(voq::app::uploading_view(1436), voq::app::uploading_caption(session, 367616, 734916), 719);
    session.device_info.software_version.assign("2.0.13(g)");
    screens.show_success(voq::app::success_view(session));
    return 0;
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
        else if (option == "--restart-wait-units" && has_value) settings.restart_wait_units = std::atoi(argv[++k]);
        else if (option == "--local-address" && has_value) {
            std::uint32_t address = 0;
            if (voq::app::parse_device_address(argv[++k], &address) != voq::app::AddressCode::accepted) return false;
            settings.local_addresses.push_back(address);
        }
        else return false;
    }
    return !settings.shots.isEmpty() && (settings.gallery || !settings.address.empty());
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (!read_settings(argc, argv)) {
        std::fputs("usage: voq-upgrade-autopilot --shots DIR (--gallery | --address A [--password P] "
                   "[--restart-wait-units N] [--local-address PC ...])\n",
                   stderr);
        return 2;
    }
    application.setQuitOnLastWindowClosed(false);
    QDir().mkpath(settings.shots);
    summary.open((settings.shots + "/summary.txt").toStdString());

    static voq::ui::qt::QtScreens screens;
    screens.on_shown = answer;
    // The gallery shows the staged screens too, so it loads both images.
    static voq::app::Session session(settings.gallery ? 0 : voq::fw::built_stage_flag());
    session.restart_wait_units = settings.restart_wait_units;
    session.screens = &screens;
    voq::app::StartupServices services = voq::app::standard_startup_services();
    if (!settings.local_addresses.empty()) services.local_addresses = [] { return settings.local_addresses; };
    int status = 0;
    std::thread wizard([&] {
        status = settings.gallery ? gallery(screens, session)
                                  : voq::app::program_entry(session, nullptr, screens, services);
        summary << "exit " << status << "\n";
        summary.flush();
        QMetaObject::invokeMethod(&application, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    application.exec();
    wizard.join();
    return status;
}
