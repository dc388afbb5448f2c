#include "frontends/qt/qt_screens.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <utility>

#include "platform/process.h"
#include "ui/texts.h"

namespace voq::ui::qt {

namespace {

// Runs work on the GUI thread and waits for its result.
template <typename Work>
auto on_gui_thread(Work work) -> decltype(work())
{
    if (QThread::currentThread() == qApp->thread()) return work();
    decltype(work()) result{};
    QMetaObject::invokeMethod(qApp, [&] { result = work(); }, Qt::BlockingQueuedConnection);
    return result;
}

QPushButton* button(const BuiltDialog& built, int id) { return qobject_cast<QPushButton*>(built.controls.at(id)); }

}  // namespace

int QtScreens::run_modal(const BuiltDialog& built, int template_id)
{
    QDialog* dialog = built.dialog;
    if (built.controls.count(1)) QObject::connect(button(built, 1), &QPushButton::clicked, dialog, &QDialog::accept);
    if (built.controls.count(2)) QObject::connect(button(built, 2), &QPushButton::clicked, dialog, &QDialog::reject);
    dialog->show();
    centre_window(dialog);
    if (on_shown) on_shown(template_id, built);
    const int result = dialog->exec() == QDialog::Accepted ? 1 : 0;
    dialog->deleteLater();
    return result;
}

int QtScreens::show_warning(const WarningView& view)
{
    return on_gui_thread([&] {
        const BuiltDialog built = build_dialog(view.template_id);
        built.dialog->setWindowTitle(from_text(view.caption));
        set_control_text(built, 1021, view.text);
        // Enter right after the screen opens cancels.
        button(built, 2)->setFocus();
        return run_modal(built, view.template_id);
    });
}

int QtScreens::show_address(const AddressView& view,
                            const std::function<bool(std::string_view typed, int selection)>& accept)
{
    return on_gui_thread([&] {
        const BuiltDialog built = build_dialog(view.template_id);
        QDialog* dialog = built.dialog;
        auto* list = qobject_cast<QComboBox*>(built.controls.at(1017));
        for (const std::string& address : view.local_addresses) list->addItem(from_text(address));
        if (!view.local_addresses.empty()) list->setCurrentIndex(0);
        dialog->setWindowTitle(from_text(view.caption));
        set_control_text(built, 1007, view.intro);
        set_control_text(built, 1008, view.help);
        set_control_text(built, 1015, view.version_line);
        auto* address = qobject_cast<QLineEdit*>(built.controls.at(1000));
        address->setFocus();

        QObject::connect(button(built, 1), &QPushButton::clicked, dialog, [&, dialog, list, address] {
            const std::string typed = address->text().left(62).toStdString();
            if (accept(typed, list->currentIndex())) {
                dialog->accept();
                return;
            }
            QMessageBox refusal(QMessageBox::NoIcon, from_text(text::invalid_address_title),
                                from_text(text::invalid_address), QMessageBox::Ok, dialog);
            refusal.exec();
            address->setFocus();
        });
        QObject::connect(button(built, 2), &QPushButton::clicked, dialog, &QDialog::reject);
        dialog->show();
        centre_window(dialog);
        if (on_shown) on_shown(view.template_id, built);
        const int result = dialog->exec() == QDialog::Accepted ? 1 : 0;
        dialog->deleteLater();
        return result;
    });
}

PasswordAnswer QtScreens::show_password(const PasswordView& view)
{
    return on_gui_thread([&] {
        const BuiltDialog built = build_dialog(view.template_id);
        set_control_text(built, 1007, view.help);
        set_control_text(built, 1003, view.user_name);
        auto* user = qobject_cast<QLineEdit*>(built.controls.at(1003));
        auto* password = qobject_cast<QLineEdit*>(built.controls.at(1005));
        password->setFocus();
        PasswordAnswer answer{run_modal(built, view.template_id) == 1, {}, {}};
        if (answer.ok) {
            answer.user_name = user->text().toStdString();
            answer.password = password->text().toStdString();
        }
        return answer;
    });
}

int QtScreens::show_confirm(const ConfirmView& view)
{
    return on_gui_thread([&] {
        const BuiltDialog built = build_dialog(view.template_id);
        built.dialog->setWindowTitle(from_text(view.caption));
        set_control_text(built, 1007, view.text);
        set_control_text(built, 1002, view.serial_number);
        set_control_text(built, 1003, view.mac_address);
        set_control_text(built, 1004, view.software_version);
        set_control_text(built, 1005, view.hardware_version);
        set_control_text(built, 1006, view.product_name);
        button(built, 1)->setFocus();
        return run_modal(built, view.template_id);
    });
}

int QtScreens::show_success(const SuccessView& view)
{
    return on_gui_thread([&] {
        const BuiltDialog built = build_dialog(view.template_id);
        built.dialog->setWindowTitle(from_text(view.caption));
        set_control_text(built, 1007, view.text);
        set_control_text(built, 1004, view.version);
        button(built, 1)->setFocus();
        return run_modal(built, view.template_id);
    });
}

void QtScreens::later(std::function<void()> work)
{
    if (QThread::currentThread() == qApp->thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(qApp, std::move(work), Qt::QueuedConnection);
}

void QtScreens::with_progress(ProgressId screen, const std::function<void(Progress&)>& work)
{
    later([this, screen, work] {
        const auto found = progress_.find(screen);
        if (found != progress_.end()) work(found->second);
    });
}

std::shared_ptr<QtScreens::Mailbox> QtScreens::mailbox_of(ProgressId screen)
{
    const std::lock_guard<std::mutex> hold(mailboxes_mutex_);
    const auto found = mailboxes_.find(screen);
    return found == mailboxes_.end() ? nullptr : found->second;
}

void QtScreens::leave(ProgressId screen, const std::function<void(Mailbox&)>& note)
{
    const std::shared_ptr<Mailbox> mailbox = mailbox_of(screen);
    if (!mailbox) return;
    const std::lock_guard<std::mutex> hold(mailbox->mutex);
    note(*mailbox);
}

void QtScreens::refresh(const BuiltDialog& shown, Mailbox& mailbox)
{
    std::optional<int> position;
    std::optional<std::string> caption;
    {
        const std::lock_guard<std::mutex> hold(mailbox.mutex);
        position = std::exchange(mailbox.position, std::nullopt);
        caption = std::exchange(mailbox.caption, std::nullopt);
    }
    if (caption) shown.dialog->setWindowTitle(from_text(*caption));
    if (position) {
        auto* bar = qobject_cast<QProgressBar*>(shown.controls.at(1010));
        // A position past the range shows the bar full.
        bar->setValue(std::min(*position, bar->maximum()));
    }
}

ProgressId QtScreens::open_progress(const ProgressView& view)
{
    const ProgressId screen = next_progress_++;
    auto mailbox = std::make_shared<Mailbox>();
    {
        const std::lock_guard<std::mutex> hold(mailboxes_mutex_);
        mailboxes_[screen] = mailbox;
    }
    later([this, screen, view, mailbox] {
        Progress progress{build_dialog(view.template_id)};
        QDialog* dialog = progress.screen.dialog;
        dialog->setWindowTitle(from_text(view.caption));
        if (view.template_id == templates::waiting) set_control_text(progress.screen, 1022, view.text);
        auto* bar = qobject_cast<QProgressBar*>(progress.screen.controls.at(1010));
        bar->setRange(0, view.range_high);
        bar->setValue(0);
        QObject::connect(button(progress.screen, 2), &QPushButton::clicked, dialog, &QDialog::reject);
        QObject::connect(dialog, &QDialog::rejected, dialog, [mailbox] { mailbox->cancelled = true; });
        // Goes with the screen, so it never finds the screen gone.
        auto* refresher = new QTimer(dialog);
        refresher->setInterval(refresh_ms);
        QObject::connect(refresher, &QTimer::timeout, dialog,
                         [shown = progress.screen, mailbox] { refresh(shown, *mailbox); });
        refresher->start();
        dialog->show();
        centre_window(dialog);
        button(progress.screen, 2)->setFocus();
        const int template_id = view.template_id;
        const BuiltDialog shown = progress.screen;
        progress_[screen] = std::move(progress);
        if (on_shown) on_shown(template_id, shown);
    });
    return screen;
}

void QtScreens::set_progress_caption(ProgressId screen, std::string_view caption)
{
    // Set at every block: the text left since the last refresh keeps its storage.
    leave(screen, [caption](Mailbox& mailbox) {
        if (mailbox.caption) mailbox.caption->assign(caption);
        else mailbox.caption.emplace(caption);
    });
}

void QtScreens::set_progress_text(ProgressId screen, std::string_view text)
{
    with_progress(screen, [value = std::string(text)](Progress& p) { set_control_text(p.screen, 1022, value); });
}

void QtScreens::set_progress_range(ProgressId screen, int high)
{
    with_progress(screen, [high](Progress& p) {
        qobject_cast<QProgressBar*>(p.screen.controls.at(1010))->setRange(0, high);
    });
}

void QtScreens::set_progress_position(ProgressId screen, int position)
{
    leave(screen, [position](Mailbox& mailbox) { mailbox.position = position; });
}

Pump QtScreens::pump(ProgressId screen, int)
{
    const std::shared_ptr<Mailbox> mailbox = mailbox_of(screen);
    return mailbox && mailbox->cancelled.load() ? Pump::cancelled : Pump::quiet;
}

void QtScreens::close_progress(ProgressId screen)
{
    {
        const std::lock_guard<std::mutex> hold(mailboxes_mutex_);
        mailboxes_.erase(screen);
    }
    later([this, screen] {
        const auto found = progress_.find(screen);
        if (found == progress_.end()) return;
        found->second.screen.dialog->hide();
        found->second.screen.dialog->deleteLater();
        progress_.erase(found);
    });
}

void QtScreens::report_error(std::string_view message, std::string_view title)
{
    on_gui_thread([&] {
        QMessageBox box(QMessageBox::NoIcon, from_text(title), from_text(message), QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        if (on_shown) on_shown(0, BuiltDialog{&box, {}});
        box.exec();
        return 0;
    });
}

void QtScreens::end_process() { platform::end_process(); }

}  // namespace voq::ui::qt
