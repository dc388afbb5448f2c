#pragma once

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "ui/screens.h"

namespace voq::bench {

// A front-end that costs next to nothing: the core's own work is what is measured.
// Every modal screen is cancelled and nothing is ever pressed; a report is printed,
// since in a benchmark run it means the run is not what it claims to be.
class QuietScreens : public ui::Screens {
public:
    std::atomic<long> progress_updates{0};

    int show_warning(const ui::WarningView&) override { return 0; }
    int show_address(const ui::AddressView&, const std::function<bool(std::string_view, int)>&) override { return 0; }
    ui::PasswordAnswer show_password(const ui::PasswordView&) override { return {false, {}, {}}; }
    int show_confirm(const ui::ConfirmView&) override { return 0; }
    int show_success(const ui::SuccessView&) override { return 0; }

    ui::ProgressId open_progress(const ui::ProgressView&) override { return 1; }
    void set_progress_caption(ui::ProgressId, std::string_view) override { ++progress_updates; }
    void set_progress_text(ui::ProgressId, std::string_view) override {}
    void set_progress_range(ui::ProgressId, int) override {}
    void set_progress_position(ui::ProgressId, int) override { ++progress_updates; }
    ui::Pump pump(ui::ProgressId, int) override { return ui::Pump::quiet; }
    // Nothing to cancel and nothing shown: turns at a human pace, as the command line's.
    unsigned turn_interval_ms() const override { return 100; }
    bool shows_transfer_caption() const override { return false; }
    void close_progress(ui::ProgressId) override {}

    void report_error(std::string_view message, std::string_view) override
    {
        std::fprintf(stderr, "voq-bench: the tool reported \"%.*s\"\n", static_cast<int>(message.size()),
                     message.data());
    }
    [[noreturn]] void end_process() override { std::_Exit(1); }
};

}  // namespace voq::bench
