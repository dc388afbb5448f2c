#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "frontends/cli/run/run_record.h"
#include "frontends/cli/run/standing.h"
#include "frontends/cli/terminal/console.h"
#include "frontends/cli/terminal/password_supply.h"
#include "frontends/cli/terminal/progress_line.h"
#include "record/run_report.h"
#include "ui/screens.h"
#include "ui/support_log.h"

namespace voq::cli {

struct ScreenSettings {
    bool yes = false;                      // accept the warning and the confirmation
    bool interactive = false;              // standard input is a terminal to ask on
    std::uint32_t request_timeout_ms = 0;  // 0: wait for the read request without end
    std::uint32_t http_timeout_ms = 0;     // 0: wait for an HTTP answer without end
    std::string user;
    std::uint32_t pc_address = 0;
    std::uint32_t device_address = 0;
    ui::SupportLog* log = nullptr;  // --log
    Mode mode = Mode::upgrade;
    // A run of a list in the list's process: its end ends the run, not the process, and
    // the list prints its record and causes.
    bool one_of_several = false;
};

// The screens as a terminal shows them: texts printed, questions asked on the
// terminal or answered by --yes, progress screens as one line, Ctrl+C as their
// Cancel, and every outcome turned into the exit status the process ends with.
class CliScreens : public ui::Screens {
public:
    CliScreens(ScreenSettings settings, Console& console, PasswordSupply& passwords, RunRecord& record);

    int show_warning(const ui::WarningView& view) override;
    int show_address(const ui::AddressView& view,
                     const std::function<bool(std::string_view typed, int selection)>& accept) override;
    ui::PasswordAnswer show_password(const ui::PasswordView& view) override;
    int show_confirm(const ui::ConfirmView& view) override;
    int show_success(const ui::SuccessView& view) override;

    ui::ProgressId open_progress(const ui::ProgressView& view) override;
    void set_progress_caption(ui::ProgressId screen, std::string_view caption) override;
    void set_progress_text(ui::ProgressId screen, std::string_view text) override;
    void set_progress_range(ui::ProgressId screen, int high) override;
    void set_progress_position(ui::ProgressId screen, int position) override;
    ui::Pump pump(ui::ProgressId screen, int max_messages) override;
    // Cancel is the interruption's flag, and a line is redrawn at a human pace; the
    // transfer's line is made from its facts, never from the caption.
    unsigned turn_interval_ms() const override { return 100; }
    bool shows_transfer_caption() const override { return false; }
    void close_progress(ui::ProgressId screen) override;

    void report_error(std::string_view message, std::string_view title) override;
    void report_failure(session::Failure failure, std::string_view message, std::string_view title) override;
    [[noreturn]] void end_process() override;
    void idle(unsigned ms) override;

    // The run's end where the core returns instead: the report, then the exit status.
    int finish();
    // One of several: waits until the run has finished, then gives its record.
    RunRecord finished_record();
    // What happened: the record, the progress lines, the exit status and the verbose
    // trace come from these, never from a text.
    void note(const record::Fact& fact) override;
    // -vv shows every packet.
    bool notes_packets() const override;

private:
    struct Progress {
        int template_id = 0;
        std::string caption;
        int range = 0;
        int position = 0;
        std::uint32_t opened_ms = 0;
        std::uint32_t phase_ms = 0;  // the start of the restart wait, on the uploading screen
        bool restarting = false;
        bool counting = false;         // the first block is acknowledged
        bool transfer_failed = false;  // the device stopped short of the last block
    };

    bool confirmed(std::string_view question);
    [[noreturn]] void end_without_upgrade(const StandingVerdict& verdict);
    void report(std::optional<session::Failure> failure, std::string_view message);
    void show_progress_locked(Progress& screen, bool new_phase);
    void phase_took(std::string_view phase, std::uint32_t started_ms);
    void set_outcome_locked(Outcome outcome, std::string_view message);
    bool transfer_running_locked() const;
    void end_transfer_locked(Progress& screen);
    void note_transfer_locked(const record::TransferFact& fact);
    void note_restart_locked();
    void trace_fact(const record::Fact& fact);
    void summarise_transfer_locked();
    record::RunReport report_locked() const;
    void fill_record_locked(const record::RunReport& report);
    // One of several, reported: its threads leave, and what they still do is not told.
    bool over_locked() const { return settings_.one_of_several && finished_; }

    ScreenSettings settings_;
    Console& console_;
    PasswordSupply& passwords_;
    RunRecord& record_;
    mutable std::mutex mutex_;          // guards what follows; screens open on several threads
    std::vector<record::Noted> facts_;  // the run so far: what is reported is folded from them
    std::map<ui::ProgressId, Progress> progress_;
    ui::ProgressId next_progress_ = 1;
    std::optional<Outcome> pending_;  // why a Cancel was given, for the abort that follows
    std::string pending_message_;
    ui::ProgressId uploading_ = 0;     // the open uploading screen, 0 for none
    record::TransferFact transfer_{};  // the latest, for the progress line
    bool http_unanswered_ = false;     // --http-timeout ran out on a request
    bool transfer_summarised_ = false;
    bool decided_ = false;
    bool finished_ = false;  // the run is reported, and one of several is over
    std::condition_variable finished_signal_;
    std::uint32_t started_ms_;
    std::mutex finishing_;                      // held by the thread that ends the process, for good
    std::atomic<bool> finishing_begun_{false};  // one of several: a thread reports the run
};

}  // namespace voq::cli
