#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <utility>

#include "frontends/win32/accessibility.h"
#include "ui/screens.h"
#include "ui/support_log.h"

namespace voq::ui::win32 {

// The screens as native dialogs from the program's resources. Each thread owns the
// screens it opens: a modal screen runs in the platform's modal loop, a progress
// screen is pumped by the thread that opened it.
class Win32Screens : public Screens {
public:
    // What the progress screens tell a screen reader goes through annotate.
    explicit Win32Screens(HINSTANCE module, Annotate annotate = annotation_service())
        : module_(module), annotate_(std::move(annotate))
    {
    }

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

private:
    SupportLog* log_ = nullptr;
    HWND window_of(ProgressId screen);

    HINSTANCE module_;
    Annotate annotate_;
    std::atomic<int> phases_{0};  // how many phases the run has begun
    struct Progress {
        HWND dialog;
        int phase;  // the run's phase at the screen's last caption: a later one's is told
    };
    std::mutex mutex_;  // guards progress_; screens of several threads are open at once
    std::map<ProgressId, Progress> progress_;
    ProgressId next_progress_ = 1;
};

}  // namespace voq::ui::win32
