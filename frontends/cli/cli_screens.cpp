#include "frontends/cli/cli_screens.h"

#include <cctype>
#include <cstdio>

#include "frontends/cli/cli_texts.h"
#include "frontends/cli/hints.h"
#include "frontends/cli/interruption.h"
#include "frontends/cli/http_timeout.h"
#include "frontends/cli/progress_line.h"
#include "frontends/cli/record_json.h"
#include "frontends/cli/system.h"
#include "frontends/cli/terminal.h"
#include "frontends/cli/trace_lines.h"
#include "frontends/cli/yes_no.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "session/messages.h"
#include "ui/texts.h"
#include "ui/views.h"

namespace voq::cli {

namespace {

std::string seconds_text(std::uint32_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", ms / 1000.0);
    return text;
}

}  // namespace

CliScreens::CliScreens(ScreenSettings settings, Console& console, PasswordSupply& passwords, RunRecord& record)
    : settings_(std::move(settings)), console_(console), passwords_(passwords), record_(record),
      started_ms_(platform::milliseconds()), main_thread_(std::this_thread::get_id())
{
}

bool CliScreens::confirmed(std::string_view question)
{
    if (settings_.yes) return true;
    if (!settings_.interactive) return false;
    const auto answer = terminal::read_line(true, [&] { console_.prompt(std::string(question) + " [y/N] "); });
    return answer && !terminal::interrupted() && is_yes(*answer);
}

void CliScreens::set_outcome(Outcome outcome, std::string_view message)
{
    record_.outcome = outcome;
    record_.message = std::string(message);
    decided_ = true;
}

int CliScreens::show_warning(const ui::WarningView& view)
{
    console_.say(view.caption);
    console_.say(view.text);
    if (confirmed("Accept the warning and go on?")) return 1;
    const std::lock_guard<std::mutex> lock(mutex_);
    if (terminal::interrupted()) {
        pending_ = current_interruption().outcome;
        pending_message_ = current_interruption().message;
    } else {
        pending_ = Outcome::declined;
        pending_message_ = text::not_confirmed;
    }
    return 0;
}

int CliScreens::show_address(const ui::AddressView&, const std::function<bool(std::string_view, int)>& accept)
{
    if (accept(record_.device, 0)) return 1;
    const std::lock_guard<std::mutex> lock(mutex_);
    pending_ = Outcome::usage;
    pending_message_ = ui::text::invalid_address;
    return 0;
}

ui::PasswordAnswer CliScreens::show_password(const ui::PasswordView&)
{
    console_.end_progress();
    const PasswordSupply::Answer answer = passwords_.next(settings_.user, record_.device);
    if (answer.password) return {true, settings_.user, *answer.password};
    const std::lock_guard<std::mutex> lock(mutex_);
    pending_ = answer.outcome;
    pending_message_ = answer.message;
    return {false, {}, {}};
}

int CliScreens::show_confirm(const ui::ConfirmView& view)
{
    record_.product = view.product_name;
    record_.mac_address = view.mac_address;
    record_.serial_number = view.serial_number;
    record_.version_before = view.software_version;
    console_.end_progress();
    std::string fields = view.caption + "\n";
    fields += "  Product Name      " + view.product_name + "\n";
    fields += "  MAC Address       " + view.mac_address + "\n";
    fields += "  Software Version  " + view.software_version + "\n";
    fields += "  Hardware Version  " + view.hardware_version + "\n";
    fields += "  Serial Number     " + view.serial_number;
    console_.say(fields);
    // The staged note follows the screen's fixed text; the rest speaks of its buttons.
    if (view.text.size() > ui::text::confirm.size()) console_.say(view.text.substr(ui::text::confirm.size()));
    const bool upgrade = confirmed("Upgrade?");
    const std::lock_guard<std::mutex> lock(mutex_);
    if (upgrade) {
        upgrade_confirmed_ = true;
        return 1;
    }
    pending_ = terminal::interrupted() ? current_interruption().outcome : Outcome::declined;
    pending_message_ = terminal::interrupted() ? current_interruption().message : text::upgrade_not_confirmed;
    return 0;
}

int CliScreens::show_success(const ui::SuccessView& view)
{
    record_.version_after = view.version;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        set_outcome(Outcome::upgraded, view.caption);
    }
    console_.end_progress();
    console_.say(view.caption);
    console_.say(std::string(ui::text::success_version_label) + " " + view.version);
    return 1;
}

ui::ProgressId CliScreens::open_progress(const ui::ProgressView& view)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const ui::ProgressId id = next_progress_++;
    Progress& screen = progress_[id];
    screen.template_id = view.template_id;
    screen.caption = view.caption;
    screen.range = view.range_high;
    screen.opened_ms = platform::milliseconds();
    screen.request = request_on_screen(upgrade_confirmed_, std::this_thread::get_id() == main_thread_);
    if (view.template_id == ui::templates::uploading) after_transfer_ = true;
    show_progress_locked(screen, true);
    return id;
}

void CliScreens::set_progress_caption(ui::ProgressId id, std::string_view caption)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    Progress& screen = progress_[id];
    screen.caption = caption;
    if (const auto count = uploaded_bytes(caption)) record_.bytes = count->done;
    const bool restart_begins = screen.template_id == ui::templates::uploading && !screen.restarting &&
                                caption.starts_with("Updating ");
    if (restart_begins) {
        screen.restarting = true;
        screen.phase_ms = platform::milliseconds();
        phase_took("transfer", screen.opened_ms);
        end_transfer_locked(screen);
    }
    if (const auto count = uploaded_bytes(caption)) {
        screen.last_count = count;
        screen.upload_caption = std::string(caption);
    }
    // The restart wait's line waits for its range; the upload's first count starts its phase.
    const bool counting_begins = !screen.counting && uploaded_bytes(caption).has_value();
    screen.counting = screen.counting || counting_begins;
    if (!restart_begins) show_progress_locked(screen, counting_begins);
}

void CliScreens::set_progress_text(ui::ProgressId, std::string_view) {}

void CliScreens::set_progress_range(ui::ProgressId id, int high)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    Progress& screen = progress_[id];
    screen.range = high;
    // A new range is a new bar, which starts empty: the restart wait's first line must
    // not count from where the transfer's bar stood.
    screen.position = 0;
    if (screen.restarting) show_progress_locked(screen, true);
}

void CliScreens::set_progress_position(ui::ProgressId id, int position)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    Progress& screen = progress_[id];
    screen.position = position;
    show_progress_locked(screen, false);
}

ui::Pump CliScreens::pump(ui::ProgressId id, int)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    Progress& screen = progress_[id];
    if (terminal::interrupted()) {
        pending_ = current_interruption().outcome;
        pending_message_ = current_interruption().message;
        return ui::Pump::cancelled;
    }
    if (screen.template_id == ui::templates::connecting && settings_.http_timeout_ms > 0 &&
        platform::milliseconds() - screen.opened_ms >= settings_.http_timeout_ms && !transfer_running_locked()) {
        const HttpTimeout timeout = http_timeout(screen.request, settings_.http_timeout_ms);
        pending_ = timeout.outcome;
        pending_message_ = timeout.message;
        return ui::Pump::cancelled;
    }
    if (screen.template_id == ui::templates::waiting && settings_.request_timeout_ms > 0 &&
        platform::milliseconds() - screen.opened_ms >= settings_.request_timeout_ms) {
        pending_ = Outcome::no_request;
        pending_message_ = text::no_request;
        return ui::Pump::cancelled;
    }
    show_progress_locked(screen, false);
    return ui::Pump::quiet;
}

// A device may hold the upgrade request open while it fetches the firmware; giving up
// on that request then would cut the transfer off.
bool CliScreens::transfer_running_locked() const
{
    for (const auto& [id, screen] : progress_)
        if (screen.template_id == ui::templates::uploading) return true;
    return false;
}

void CliScreens::close_progress(ui::ProgressId id)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = progress_.find(id);
    if (found == progress_.end()) return;
    const Progress& screen = found->second;
    console_.end_progress();
    if (screen.template_id == ui::templates::connecting) phase_took("connecting", screen.opened_ms);
    if (screen.template_id == ui::templates::waiting) phase_took("waiting for the read request", screen.opened_ms);
    if (screen.template_id == ui::templates::uploading && screen.restarting) phase_took("restart wait", screen.phase_ms);
    progress_.erase(found);
}

void CliScreens::show_progress_locked(Progress& screen, bool new_phase)
{
    if (!console_.progress_due(new_phase)) return;
    const std::uint32_t elapsed = platform::milliseconds() - screen.opened_ms;
    switch (screen.template_id) {
    case ui::templates::connecting: console_.progress(connecting_line(screen.caption, elapsed), new_phase); break;
    case ui::templates::waiting: console_.progress(waiting_line(elapsed, settings_.request_timeout_ms), new_phase); break;
    case ui::templates::uploading:
        if (screen.restarting) {
            if (!screen.transfer_failed)
                console_.progress(restart_line(screen.caption, screen.position, screen.range), new_phase);
        } else if (const auto count = uploaded_bytes(screen.caption)) {
            console_.progress(uploading_line(screen.caption, *count, elapsed), new_phase);
        }
        break;
    default: break;
    }
}

// The transfer's last line stays; after one the device did not finish, nothing speaks
// of a restart that is not to come.
void CliScreens::end_transfer_locked(Progress& screen)
{
    if (!screen.last_count) return;
    screen.transfer_failed = screen.last_count->done < screen.last_count->total;
    console_.say(transfer_summary_line(screen.upload_caption, *screen.last_count, screen.phase_ms - screen.opened_ms));
}

void CliScreens::phase_took(std::string_view phase, std::uint32_t started_ms)
{
    console_.trace(std::string(phase) + " took " + seconds_text(platform::milliseconds() - started_ms));
}

void CliScreens::report_error(std::string_view message, std::string_view)
{
    Outcome outcome;
    std::string shown(message);
    unsigned port = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        port = record_.port;
        if (pending_ && message == session::message::user_abort) {
            outcome = *pending_;
            shown = pending_message_;
        } else {
            outcome = outcome_of_message(message, after_transfer_);
        }
        set_outcome(outcome, shown);
    }
    console_.end_progress();
    console_.error(shown);
    const HintFacts facts{settings_.pc_address, settings_.device_address, system::netmask_of(settings_.pc_address), port};
    const auto causes = likely_causes(outcome, facts);
    if (!causes.empty()) console_.say("Likely causes:");
    for (const std::string& cause : causes) console_.say("  - " + cause);
}

int CliScreens::finish()
{
    finishing_.lock();  // never released: the first thread to finish ends the process
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!decided_) {
            set_outcome(pending_.value_or(Outcome::pc_failure), pending_ ? pending_message_ : std::string(text::ended_unexpectedly));
            console_.error(record_.message);
        }
        record_.seconds = (platform::milliseconds() - started_ms_) / 1000.0;
    }
    console_.end_progress();
    if (console_.json()) {
        const std::string line = record_json(record_) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }
    return exit_status_of(record_.outcome);
}

void CliScreens::end_process()
{
    const int status = finish();
    platform::end_process_with_status(status);
}

void CliScreens::observe_trace(std::string_view text)
{
    if (const unsigned port = listening_port(text)) {
        const std::lock_guard<std::mutex> lock(mutex_);
        record_.port = port;
    }
    if (!console_.verbose()) return;
    for (const std::string& line : readable_trace_lines(text)) console_.trace(line);
}

}  // namespace voq::cli
