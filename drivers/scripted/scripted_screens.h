#pragma once

#include <map>
#include <mutex>
#include <string>

#include "drivers/scripted/script.h"
#include "drivers/scripted/transcript.h"
#include "ui/screens.h"

namespace voq::ui::scripted {

// Screens that answer from a script and write everything they show into a
// transcript. A modal screen takes the next answer for its kind; with none left it
// is cancelled, and the transcript says so.
class ScriptedScreens : public Screens {
public:
    ScriptedScreens(Script script, Transcript& transcript);

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

private:
    struct OpenProgress {
        int template_id;
        int opening;
        int pumps;
        int position;
    };

    ModalAnswer next_answer(std::deque<ModalAnswer>& queue, int template_id);
    void open(int template_id, std::string_view caption);
    void field(int template_id, int control, std::string_view value);
    int close(int template_id, bool affirmative);
    int template_of(ProgressId screen);

    Transcript& out_;
    std::mutex mutex_;  // guards what follows; screens open on several threads
    Script script_;
    std::map<int, int> openings_;  // by template
    std::map<ProgressId, OpenProgress> progress_;
    ProgressId next_progress_ = 1;
};

}  // namespace voq::ui::scripted
