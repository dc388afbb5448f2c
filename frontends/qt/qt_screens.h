#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "frontends/qt/dialog_builder.h"
#include "frontends/qt/focus_handover.h"
#include "ui/screens.h"
#include "ui/support_log.h"

namespace voq::ui::qt {

// The screens as Qt widgets. Widgets live on the GUI thread, the program on threads
// of its own: every call is carried to the GUI thread, modal screens and message
// boxes waiting there for their answer, progress screens updated without waiting.
// A Cancel or close box on a progress screen is only noted; the owning thread's
// next pump takes the abort path, as on Windows. A progress screen's position and
// caption are left in its mailbox and the newest of them shown every refresh_ms: the
// program sets them at every poll, a thousand times a second while it waits, and
// carrying each to the GUI thread and redrawing the bar cost more than all the rest of
// the waiting.
class QtScreens : public Screens {
public:
    // Called on the GUI thread once a screen is shown: for the demo's autopilot.
    std::function<void(int template_id, const BuiltDialog& screen)> on_shown;

    int show_warning(const WarningView& view) override;
    int show_address(const AddressView& view,
                     const std::function<bool(std::string_view typed, int selection)>& accept) override;
    PasswordAnswer show_password(const PasswordView& view) override;
    int show_confirm(const ConfirmView& view) override;
    int show_success(const SuccessView& view) override;

    ProgressId open_progress(const ProgressView& view) override;
    void set_progress_caption(ProgressId screen, std::string_view caption) override;
    void set_progress_text(ProgressId screen, std::string_view text) override;
    void set_progress_range(ProgressId screen, int high) override;
    void set_progress_position(ProgressId screen, int position) override;
    Pump pump(ProgressId screen, int max_messages) override;
    void close_progress(ProgressId screen) override;

    void report_error(std::string_view message, std::string_view title) override;
    [[noreturn]] void end_process() override;

    // The run's facts, and what it showed at its end, go to the log the program keeps.
    void note(const record::Fact& fact) override;
    void keep_log(SupportLog& log) { log_ = &log; }

    // Ten frames a second are enough for a bar, and keep redrawing it a small part of
    // the waiting screen's cost (make bench).
    static constexpr int refresh_ms = 100;

private:
    SupportLog* log_ = nullptr;
    // A screen or box that is open, and the program's thread it was opened for.
    struct OpenWindow {
        QPointer<QWidget> window;
        std::thread::id opener;
    };
    // While a modal screen or message box of one thread is open, the other windows of
    // that thread take no input; the other thread's go on (on Windows, the waiting
    // screen's Cancel works while the upgrade request asks for the password).
    class ThreadModal {
    public:
        ThreadModal(QtScreens& screens, QWidget* modal, std::thread::id opener);
        ~ThreadModal();
        ThreadModal(const ThreadModal&) = delete;
        ThreadModal& operator=(const ThreadModal&) = delete;

    private:
        QtScreens& screens_;
        std::vector<QPointer<QWidget>> disabled_;
    };

    // What the program's threads leave for a progress screen.
    struct Mailbox {
        std::atomic<bool> cancelled{false};
        std::mutex mutex;  // guards the rest
        std::optional<int> position;
        std::optional<std::string> caption;
        // The run's phase when the screen last took a caption that was told; a caption
        // of a later phase is told to a screen reader, the others only shown.
        int phase = 0;
        bool announce = false;
    };
    struct Progress {
        BuiltDialog screen;
    };

    // Shows a modal screen and waits for its result; on_ok, when given, may keep it open.
    int run_modal(const BuiltDialog& built, int template_id, std::thread::id opener,
                  const std::function<bool()>& on_ok = {});
    void forget_closed_windows();
    // A new screen takes the focus, as ShowWindow gives it on Windows; one that closes
    // with the focus hands it to the newest screen still open that takes input.
    void hand_on_focus();
    FocusHandover& focus();
    void later(std::function<void()> work);
    void with_progress(ProgressId screen, const std::function<void(Progress&)>& work);
    std::shared_ptr<Mailbox> mailbox_of(ProgressId screen);
    void leave(ProgressId screen, const std::function<void(Mailbox&)>& note);
    static void refresh(const BuiltDialog& shown, Mailbox& mailbox);

    std::atomic<ProgressId> next_progress_{1};
    std::atomic<int> phases_{0};  // how many phases the run has begun
    std::mutex mailboxes_mutex_;  // guards mailboxes_, used by the program's threads
    std::map<ProgressId, std::shared_ptr<Mailbox>> mailboxes_;
    std::map<ProgressId, Progress> progress_;  // GUI thread only
    std::vector<OpenWindow> open_windows_;     // GUI thread only
    std::unique_ptr<FocusHandover> focus_;     // GUI thread only, from the first screen on
};

}  // namespace voq::ui::qt
