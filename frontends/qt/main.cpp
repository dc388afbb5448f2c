// voq-upgrade: the Linux desktop program.

#include <QApplication>
#include <thread>

#include "app/entry.h"
#include "firmware/embedded.h"
#include "frontends/qt/qt_screens.h"
#include "platform/state_folder.h"
#include "ui/support_log.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // The screens come and go one by one; the run, not the last window, ends the program.
    application.setQuitOnLastWindowClosed(false);

    // Like the Session, the screens live until the process ends.
    static voq::ui::qt::QtScreens screens;
    static voq::ui::SupportLog log = voq::ui::SupportLog::in_folder(voq::platform::support_log_folder());
    log.begin("voq-upgrade", VOQ_VERSION);
    screens.keep_log(log);
    static voq::session::Session session(voq::fw::built_stage_flag());
    int status = 0;
    // The wizard runs as the program's main thread does on Windows; widgets stay here.
    std::thread wizard([&] {
        status = voq::app::program_entry(session, screens, voq::app::standard_startup_services());
        QMetaObject::invokeMethod(&application, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    application.exec();
    wizard.join();
    return status;
}
