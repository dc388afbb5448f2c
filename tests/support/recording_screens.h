#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ui/screens.h"

namespace voq::test {

// Thrown where the product would end the process, so that a test can look at what
// was shown before.
struct ProcessEnded {};

// A front-end for unit tests: every modal screen is cancelled (the password screen
// takes its answers from password_answers first), every progress screen stays quiet;
// it keeps the reports and the screens it was asked to open, and turns the end of
// the process into ProcessEnded, after at_end when one is set (which may end the
// process for real, as a child process's test must from another thread).
class RecordingScreens : public ui::Screens {
public:
    std::vector<int> opened;                                   // template ids, in order
    std::vector<std::pair<std::string, std::string>> reports;  // message, title
    std::vector<int> positions;                                // every progress position set
    std::vector<std::string> captions;                         // every progress caption set
    std::deque<ui::PasswordAnswer> password_answers;
    std::function<void()> at_end;
    std::function<void()> on_pump;  // runs on the thread that pumps, which it may hold
    unsigned turn_ms = 1;
    bool shows_caption = true;

    // Facts come from a request's worker too.
    void note(const record::Fact& fact) override
    {
        const std::lock_guard<std::mutex> lock(facts_mutex_);
        facts_.push_back(fact);
    }
    std::vector<record::Fact> facts()
    {
        const std::lock_guard<std::mutex> lock(facts_mutex_);
        return facts_;
    }

    int show_warning(const ui::WarningView& view) override { return opened_modal(view.template_id); }
    int show_address(const ui::AddressView& view, const std::function<bool(std::string_view, int)>&) override
    {
        return opened_modal(view.template_id);
    }
    ui::PasswordAnswer show_password(const ui::PasswordView& view) override
    {
        opened_modal(view.template_id);
        if (password_answers.empty()) return {false, {}, {}};
        const ui::PasswordAnswer answer = password_answers.front();
        password_answers.pop_front();
        return answer;
    }
    int show_confirm(const ui::ConfirmView& view) override { return opened_modal(view.template_id); }
    int show_success(const ui::SuccessView& view) override { return opened_modal(view.template_id); }

    ui::ProgressId open_progress(const ui::ProgressView& view) override
    {
        opened.push_back(view.template_id);
        return static_cast<ui::ProgressId>(opened.size());
    }
    void set_progress_caption(ui::ProgressId, std::string_view caption) override { captions.emplace_back(caption); }
    void set_progress_text(ui::ProgressId, std::string_view) override {}
    void set_progress_range(ui::ProgressId, int) override {}
    void set_progress_position(ui::ProgressId, int position) override { positions.push_back(position); }
    ui::Pump pump(ui::ProgressId, int) override
    {
        if (on_pump) on_pump();
        return ui::Pump::quiet;
    }
    unsigned turn_interval_ms() const override { return turn_ms; }
    bool shows_transfer_caption() const override { return shows_caption; }
    void close_progress(ui::ProgressId) override {}

    void report_error(std::string_view message, std::string_view title) override
    {
        reports.emplace_back(message, title);
    }
    [[noreturn]] void end_process() override
    {
        if (at_end) at_end();
        throw ProcessEnded{};
    }

private:
    std::mutex facts_mutex_;
    std::vector<record::Fact> facts_;

    int opened_modal(int template_id)
    {
        opened.push_back(template_id);
        return 0;
    }
};

}  // namespace voq::test
