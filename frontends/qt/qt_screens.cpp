#include "frontends/qt/qt_screens.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QThread>
#include <QTimer>
#include <optional>
#include <utility>
#include <variant>

#include "frontends/qt/address_field.h"
#include "frontends/qt/announcement.h"
#include "platform/process.h"
#include "ui/credential_bytes.h"
#include "ui/texts.h"

namespace voq::ui::qt {

namespace {

// Runs work on the GUI thread and waits for its result.
template <typename Work>
auto on_gui_thread(Work work) -> decltype(work())
{
    if (QThread::currentThread() == qApp->thread()) return work();
    decltype(work()) result{};
    QMetaObject::invokeMethod(
        qApp, [&] { result = work(); }, Qt::BlockingQueuedConnection);
    return result;
}

QPushButton* button(const BuiltDialog& built, int id) { return qobject_cast<QPushButton*>(built.controls.at(id)); }

// Runs a dialog until it is closed, blocking no other window: which windows wait is
// decided per thread (ThreadModal), as on Windows.
int run_until_closed(QDialog* dialog)
{
    const QPointer<QDialog> open(dialog);
    QEventLoop loop;
    QObject::connect(dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    QObject::connect(dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (dialog->isHidden()) dialog->show();
    loop.exec();
    return open ? open->result() : QDialog::Rejected;
}

// A box with one OK button and no icon, owned by a screen: the screen waits for it,
// every other window goes on.
void show_owned_box(QWidget* owner, std::string_view message, std::string_view title, FocusHandover& focus)
{
    QMessageBox box(QMessageBox::NoIcon, from_text(title), from_text(message), QMessageBox::Ok, owner);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
    if (focus.held_by(&box)) focus.bring_forward(owner);
}

std::optional<std::string> credential_of(const QString& text)
{
    return credential_from_utf16(
        {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())});
}

// The Windows program polls its progress screens without the dialog manager's
// keyboard handling: Enter and Escape do nothing there, while Space still presses the
// focused Cancel, which the button handles itself. Shortcuts that do nothing take
// the two keys before the dialog or the button sees them.
void take_keys_as_a_polled_window(QDialog* dialog, QPushButton* cancel)
{
    cancel->setAutoDefault(false);
    cancel->setDefault(false);
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        auto* swallow = new QShortcut(QKeySequence(key), dialog);
        swallow->setContext(Qt::WindowShortcut);
    }
}

}  // namespace

QtScreens::ThreadModal::ThreadModal(QtScreens& screens, QWidget* modal, std::thread::id opener) : screens_(screens)
{
    for (OpenWindow& open : screens_.open_windows_) {
        if (open.opener != opener || !open.window || !open.window->isEnabled()) continue;
        open.window->setEnabled(false);
        disabled_.push_back(open.window);
    }
    screens_.open_windows_.push_back({modal, opener});
}

QtScreens::ThreadModal::~ThreadModal()
{
    screens_.forget_closed_windows();
    for (const QPointer<QWidget>& window : disabled_) {
        if (window) window->setEnabled(true);
    }
}

void QtScreens::forget_closed_windows()
{
    std::erase_if(open_windows_, [](const OpenWindow& open) { return !open.window || open.window->isHidden(); });
}

FocusHandover& QtScreens::focus()
{
    if (!focus_) focus_ = std::make_unique<FocusHandover>();
    return *focus_;
}

void QtScreens::hand_on_focus()
{
    forget_closed_windows();
    for (auto open = open_windows_.rbegin(); open != open_windows_.rend(); ++open) {
        if (open->window->isEnabled()) {
            focus().bring_forward(open->window);
            return;
        }
    }
}

int QtScreens::run_modal(const BuiltDialog& built, int template_id, std::thread::id opener,
                         const std::function<bool()>& on_ok)
{
    QDialog* dialog = built.dialog;
    if (built.controls.count(controls::affirmative)) {
        QObject::connect(button(built, controls::affirmative), &QPushButton::clicked, dialog, [dialog, on_ok] {
            if (!on_ok || on_ok()) dialog->accept();
        });
    }
    if (built.controls.count(controls::cancel))
        QObject::connect(button(built, controls::cancel), &QPushButton::clicked, dialog, &QDialog::reject);
    describe(built);
    dialog->show();
    centre_window(dialog);
    focus().bring_forward(dialog);
    int result = 0;
    bool had_focus = false;
    {
        const ThreadModal modal(*this, dialog, opener);
        if (on_shown) on_shown(template_id, built);
        result = run_until_closed(dialog) == QDialog::Accepted ? 1 : 0;
        had_focus = focus().held_by(dialog);
        dialog->hide();
    }
    // Once the windows the screen held back take input again.
    if (had_focus) hand_on_focus();
    dialog->deleteLater();
    return result;
}

int QtScreens::show_warning(const WarningView& view)
{
    const std::thread::id opener = std::this_thread::get_id();
    return on_gui_thread([&] {
        const BuiltDialog built = build_dialog(view.template_id);
        built.dialog->setWindowTitle(from_text(view.caption));
        set_control_text(built, controls::warning_text, view.text);
        // Enter right after the screen opens cancels.
        button(built, controls::cancel)->setFocus();
        return run_modal(built, view.template_id, opener);
    });
}

int QtScreens::show_address(const AddressView& view,
                            const std::function<bool(std::string_view typed, int selection)>& accept)
{
    const std::thread::id opener = std::this_thread::get_id();
    return on_gui_thread([&] {
        const BuiltDialog built = build_dialog(view.template_id);
        QDialog* dialog = built.dialog;
        auto* list = qobject_cast<QComboBox*>(built.controls.at(controls::local_addresses));
        for (const std::string& address : view.local_addresses) list->addItem(from_text(address));
        if (!view.local_addresses.empty()) list->setCurrentIndex(0);
        dialog->setWindowTitle(from_text(view.caption));
        set_control_text(built, controls::text_pane, view.intro);
        set_control_text(built, controls::address_help, view.help);
        set_control_text(built, controls::version_line, view.version_line);
        auto* address = dynamic_cast<AddressField*>(built.controls.at(controls::device_address));
        address->focus_first_box();
        return run_modal(built, view.template_id, opener, [&, dialog, list, address] {
            const std::string typed = address->text().left(62).toStdString();
            if (accept(typed, list->currentIndex())) return true;
            show_owned_box(dialog, text::invalid_address, text::error_box_title, focus());
            address->focus_first_box();
            return false;
        });
    });
}

PasswordAnswer QtScreens::show_password(const PasswordView& view)
{
    const std::thread::id opener = std::this_thread::get_id();
    return on_gui_thread([&] {
        const BuiltDialog built = build_dialog(view.template_id);
        set_control_text(built, controls::text_pane, view.help);
        set_control_text(built, controls::user_name, view.user_name);
        auto* user = qobject_cast<QLineEdit*>(built.controls.at(controls::user_name));
        auto* password = qobject_cast<QLineEdit*>(built.controls.at(controls::password));
        password->setFocus();
        const bool ok = run_modal(built, view.template_id, opener, [&] {
                            const bool user_fits = credential_of(user->text()).has_value();
                            if (user_fits && credential_of(password->text())) return true;
                            show_owned_box(built.dialog, text::unsendable_credentials, text::error_box_title, focus());
                            (user_fits ? password : user)->setFocus();
                            return false;
                        }) == 1;
        PasswordAnswer answer{ok, {}, {}};
        if (answer.ok) {
            answer.user_name = credential_of(user->text()).value_or("");
            answer.password = credential_of(password->text()).value_or("");
        }
        return answer;
    });
}

int QtScreens::show_confirm(const ConfirmView& view)
{
    const std::thread::id opener = std::this_thread::get_id();
    return on_gui_thread([&] {
        const BuiltDialog built = build_dialog(view.template_id);
        built.dialog->setWindowTitle(from_text(view.caption));
        for (const auto& [control, text] : confirm_fields(view)) set_control_text(built, control, text);
        button(built, controls::affirmative)->setFocus();
        return run_modal(built, view.template_id, opener);
    });
}

int QtScreens::show_success(const SuccessView& view)
{
    if (log_ != nullptr) log_->shown(view.caption);
    const std::thread::id opener = std::this_thread::get_id();
    return on_gui_thread([&] {
        const BuiltDialog built = build_dialog(view.template_id);
        built.dialog->setWindowTitle(from_text(view.caption));
        set_control_text(built, controls::text_pane, view.text);
        set_control_text(built, controls::version_now, view.version);
        button(built, controls::affirmative)->setFocus();
        return run_modal(built, view.template_id, opener);
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
    bool announce = false;
    {
        const std::lock_guard<std::mutex> hold(mailbox.mutex);
        position = std::exchange(mailbox.position, std::nullopt);
        caption = std::exchange(mailbox.caption, std::nullopt);
        announce = std::exchange(mailbox.announce, false);
    }
    auto* bar = qobject_cast<QProgressBar*>(shown.controls.at(controls::progress_bar));
    if (caption) {
        // A bar is named by its screen's caption: the uploading screen's tells the
        // transfer from the restart wait.
        const QString title = from_text(*caption);
        shown.dialog->setWindowTitle(title);
        if (bar->accessibleName() != title) bar->setAccessibleName(title);
        // The uploading screen turning into the restart wait keeps the focus where it
        // was: without being told, a blind user hears only the bar start again.
        if (announce) qt::announce(shown.dialog, title);
    }
    if (position) {
        // A position past the range shows the bar full.
        bar->setValue(std::min(*position, bar->maximum()));
    }
}

ProgressId QtScreens::open_progress(const ProgressView& view)
{
    const ProgressId screen = next_progress_++;
    const std::thread::id opener = std::this_thread::get_id();
    auto mailbox = std::make_shared<Mailbox>();
    mailbox->phase = phases_.load();
    {
        const std::lock_guard<std::mutex> hold(mailboxes_mutex_);
        mailboxes_[screen] = mailbox;
    }
    later([this, screen, view, mailbox, opener] {
        Progress progress{build_dialog(view.template_id)};
        QDialog* dialog = progress.screen.dialog;
        dialog->setWindowTitle(from_text(view.caption));
        if (view.template_id == templates::waiting)
            set_control_text(progress.screen, controls::waiting_text, view.text);
        auto* bar = qobject_cast<QProgressBar*>(progress.screen.controls.at(controls::progress_bar));
        bar->setAccessibleName(from_text(view.caption));
        bar->setRange(0, view.range_high);
        bar->setValue(0);
        QPushButton* cancel = button(progress.screen, controls::cancel);
        take_keys_as_a_polled_window(dialog, cancel);
        QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
        QObject::connect(dialog, &QDialog::rejected, dialog, [mailbox] { mailbox->cancelled = true; });
        // Goes with the screen, so it never finds the screen gone.
        auto* refresher = new QTimer(dialog);
        refresher->setInterval(refresh_ms);
        QObject::connect(refresher, &QTimer::timeout, dialog,
                         [shown = progress.screen, mailbox] { refresh(shown, *mailbox); });
        refresher->start();
        describe(progress.screen);
        dialog->show();
        centre_window(dialog);
        cancel->setFocus();
        focus().bring_forward(dialog);
        forget_closed_windows();
        open_windows_.push_back({dialog, opener});
        const int template_id = view.template_id;
        const BuiltDialog shown = progress.screen;
        progress_[screen] = std::move(progress);
        if (on_shown) on_shown(template_id, shown);
    });
    return screen;
}

void QtScreens::set_progress_caption(ProgressId screen, std::string_view caption)
{
    // Set at every block: the text left since the last refresh keeps its storage, and
    // the call, taken by one reference, allocates nothing.
    const struct {
        std::string_view caption;
        int phase;
    } set{caption, phases_.load()};
    leave(screen, [&set](Mailbox& mailbox) {
        if (mailbox.caption) mailbox.caption->assign(set.caption);
        else mailbox.caption.emplace(set.caption);
        if (mailbox.phase != set.phase) {
            mailbox.phase = set.phase;
            mailbox.announce = true;
        }
    });
}

void QtScreens::set_progress_text(ProgressId screen, std::string_view text)
{
    with_progress(screen, [value = std::string(text)](Progress& p) {
        set_control_text(p.screen, controls::waiting_text, value);
        describe(p.screen);
    });
}

void QtScreens::set_progress_range(ProgressId screen, int high)
{
    with_progress(screen, [high](Progress& p) {
        auto* bar = qobject_cast<QProgressBar*>(p.screen.controls.at(controls::progress_bar));
        bar->setRange(0, high);
        // The toolkit puts a bar whose value is past its new range below its start, and
        // a screen reader says "-2 percent" as the restart wait takes over the bar.
        if (bar->value() < bar->minimum()) bar->setValue(bar->minimum());
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
        // Gone at once, not at the event loop's next turn: a modal screen's loop may
        // be running, and until then a screen reader would still find the screen.
        const bool had_focus = focus().held_by(found->second.screen.dialog);
        delete found->second.screen.dialog;
        progress_.erase(found);
        if (had_focus) hand_on_focus();
    });
}

void QtScreens::note(const record::Fact& fact)
{
    if (std::holds_alternative<record::PhaseFact>(fact)) ++phases_;
    if (log_ != nullptr) log_->note(fact);
}

void QtScreens::report_error(std::string_view message, std::string_view title)
{
    if (log_ != nullptr) log_->shown(message);
    // Task-modal: the screens of the reporting thread wait, the other thread's go on.
    const std::thread::id opener = std::this_thread::get_id();
    on_gui_thread([&] {
        QMessageBox box(QMessageBox::NoIcon, from_text(title), from_text(message), QMessageBox::Ok);
        // A message box is modal to the whole application unless told otherwise, which
        // would hold the other thread's screens and their Cancel too.
        box.setWindowModality(Qt::NonModal);
        box.show();
        focus().bring_forward(&box);
        bool had_focus = false;
        {
            const ThreadModal modal(*this, &box, opener);
            if (on_shown) on_shown(0, BuiltDialog{&box, {}, {}});
            run_until_closed(&box);
            had_focus = focus().held_by(&box);
            box.hide();
        }
        if (had_focus) hand_on_focus();
        return 0;
    });
}

void QtScreens::end_process() { platform::end_process(); }

}  // namespace voq::ui::qt
