#include "frontends/cli/run/cli_screens.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <utility>

#include "frontends/cli/run/circumstances.h"
#include "frontends/cli/run/cli_texts.h"
#include "frontends/cli/run/failure_message.h"
#include "frontends/cli/run/http_timeout.h"
#include "frontends/cli/run/record_json.h"
#include "frontends/cli/run/trace_lines.h"
#include "frontends/cli/terminal/interruption.h"
#include "frontends/cli/terminal/progress_line.h"
#include "frontends/cli/terminal/yes_no.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "platform/terminal.h"
#include "record/likely_causes.h"
#include "session/failure_codes.h"
#include "session/messages.h"
#include "ui/texts.h"
#include "ui/views.h"

namespace voq::cli {

namespace {

bool is_cancel(session::Failure failure)
{
    return failure == session::Failure::user_abort || failure == session::Failure::password_not_given ||
           failure == session::Failure::upgrade_declined;
}

// The failure a Cancel the program gave itself stands for, so that the diagnosis reads
// the run as the person is told it; none for a Cancel of the person's own.
std::optional<session::Failure> failure_of_own_cancel(Outcome outcome)
{
    switch (outcome) {
    case Outcome::no_response:
        return session::Failure::no_response;
    case Outcome::no_answer_after_restart:
        return session::Failure::no_response_after_restart;
    case Outcome::no_request:
        return session::Failure::user_abort;  // the waiting screen's Cancel
    default:
        return std::nullopt;
    }
}

// The outcomes the likely causes are printed for; any other ends as the person chose
// or as the run said.
bool explained(Outcome outcome)
{
    return outcome == Outcome::no_response || outcome == Outcome::tftp_port || outcome == Outcome::no_request ||
           outcome == Outcome::no_answer_after_restart || outcome == Outcome::version_mismatch;
}

// One of the confirm screen's fields under its label, the values in a column.
std::string field_line(std::string_view label, const std::string& value)
{
    constexpr std::size_t label_column = 18;
    return "  " + std::string(label) + std::string(label_column - std::min(label.size(), label_column - 2), ' ') +
           value;
}

}  // namespace

CliScreens::CliScreens(ScreenSettings settings, Console& console, PasswordSupply& passwords, RunRecord& record)
    : settings_(std::move(settings)), console_(console), passwords_(passwords), record_(record),
      started_ms_(platform::milliseconds())
{
}

bool CliScreens::confirmed(std::string_view question)
{
    if (settings_.yes) return true;
    if (!settings_.interactive) return false;
    const auto answer = console_.ask(std::string(question) + " [y/N] ", true);
    return answer && !platform::terminal::interrupted() && is_yes(*answer);
}

void CliScreens::set_outcome_locked(Outcome outcome, std::string_view message)
{
    const bool signalled =
        outcome == Outcome::interrupted || outcome == Outcome::terminated || outcome == Outcome::hung_up;
    fill_record_locked(report_locked());
    record_.outcome = outcome;
    record_.message =
        signalled ? interrupted_message(message, record_.delivered, record_.device) : std::string(message);
    decided_ = true;
}

record::RunReport CliScreens::report_locked() const { return record::fold_run(facts_); }

// The record's account of the run, from the report alone.
void CliScreens::fill_record_locked(const record::RunReport& report)
{
    record_.port = report.tftp_port;
    record_.version_target = report.version_target;
    record_.bytes = report.transfer.bytes;
    record_.blocks = report.transfer.blocks;
    record_.retransmissions = report.transfer.retransmissions;
    record_.delivered =
        report.transfer.total > 0 && report.transfer.bytes == report.transfer.total && !report.transfer.given_up;
    const record::Exchange* upgrade = record::last_request(report, record::RequestKind::upgrade_request);
    record_.upgrade_answer = upgrade != nullptr ? upgrade->status_line : std::string();
    if (!report.version_after.empty()) record_.version_after = report.version_after;
    if (report.standing) record_.transition_first = report.transition_first;
    record_.phases.clear();
    for (const record::PhaseSpan& span : report.phases)
        record_.phases.push_back({std::string(record::phase_name(span.phase)), span.duration_ms / 1000.0});
}

int CliScreens::show_warning(const ui::WarningView& view)
{
    // Reading a status page puts nothing at risk.
    if (settings_.mode == Mode::check) return 1;
    console_.say(view.caption);
    console_.say(view.text);
    if (confirmed("Accept the warning and go on?")) return 1;
    const std::lock_guard<std::mutex> lock(mutex_);
    if (platform::terminal::interrupted()) {
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
    record_.checking = settings_.mode == Mode::check;
    record::RunReport report;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        report = report_locked();
        if (report.standing) record_.transition_first = report.transition_first;
    }
    const record::Exchange* status_page = record::last_request(report, record::RequestKind::status_page);
    // Without the core's reading of the version a check could tell nothing, so it upgrades nothing either.
    const StandingVerdict verdict =
        report.standing
            ? standing_verdict(settings_.mode,
                               {*report.standing, report.transition_first,
                                status_page != nullptr ? status_page->status_code : 0, report.version_before},
                               view.software_version, report.version_expected)
            : StandingVerdict{settings_.mode == Mode::upgrade, Outcome::pc_failure,
                              std::string(text::ended_unexpectedly)};
    console_.end_progress();
    std::string fields = (verdict.upgrade ? view.caption : "Status of VOQ@" + record_.device) + "\n";
    fields += field_line(ui::text::product_name_label, view.product_name) + "\n";
    fields += field_line(ui::text::mac_address_label, view.mac_address) + "\n";
    fields += field_line(ui::text::software_version_label, view.software_version) + "\n";
    fields += field_line(ui::text::hardware_version_label, view.hardware_version) + "\n";
    fields += field_line(ui::text::serial_number_label, view.serial_number);
    console_.say(fields);
    if (!verdict.upgrade) end_without_upgrade(verdict);
    // Of the screen's text only the staged note is said; the rest speaks of its buttons.
    if (!view.staged_note.empty()) console_.say(view.staged_note);
    const bool upgrade = confirmed("Upgrade?");
    if (upgrade) return 1;
    const std::lock_guard<std::mutex> lock(mutex_);
    pending_ = platform::terminal::interrupted() ? current_interruption().outcome : Outcome::declined;
    pending_message_ = platform::terminal::interrupted() ? current_interruption().message : text::upgrade_not_confirmed;
    return 0;
}

// Nothing more is sent: the upgrade request, the listener and its port are never reached.
void CliScreens::end_without_upgrade(const StandingVerdict& verdict)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        set_outcome_locked(verdict.outcome, verdict.message);
    }
    if (settings_.log != nullptr) settings_.log->shown(verdict.message);
    console_.say(verdict.message);
    const int status = finish();
    if (settings_.one_of_several) throw ui::RunEnded{};
    platform::end_process_with_status(status);
}

int CliScreens::show_success(const ui::SuccessView& view)
{
    record_.version_after = view.version;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        set_outcome_locked(Outcome::upgraded, view.caption);
    }
    if (settings_.log != nullptr) settings_.log->shown(view.caption);
    console_.end_progress();
    console_.say(view.caption);
    console_.say(std::string(ui::text::success_version_label) + " " + view.version);
    return 1;
}

ui::ProgressId CliScreens::open_progress(const ui::ProgressView& view)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    // Every step that would send something opens a screen first: a run that is over
    // sends nothing more, whichever of its threads comes here.
    if (over_locked()) throw ui::RunEnded{};
    const ui::ProgressId id = next_progress_++;
    Progress& screen = progress_[id];
    screen.template_id = view.template_id;
    screen.caption = view.caption;
    screen.range = view.range_high;
    screen.opened_ms = platform::milliseconds();
    if (view.template_id == ui::templates::uploading) uploading_ = id;
    show_progress_locked(screen, true);
    return id;
}

void CliScreens::set_progress_caption(ui::ProgressId id, std::string_view caption)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    Progress& screen = progress_[id];
    screen.caption = caption;
    // The restart wait's line waits for its range.
    if (!screen.restarting) show_progress_locked(screen, false);
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
    // The run ended on another of its threads: this one leaves it too.
    if (over_locked()) throw ui::RunEnded{};
    Progress& screen = progress_[id];
    if (platform::terminal::interrupted()) {
        pending_ = current_interruption().outcome;
        pending_message_ = current_interruption().message;
        return ui::Pump::cancelled;
    }
    if (screen.template_id == ui::templates::connecting && settings_.http_timeout_ms > 0 &&
        platform::milliseconds() - screen.opened_ms >= settings_.http_timeout_ms && !transfer_running_locked()) {
        // The request on the screen is the last to leave: a re-read leaves only once the transfer is over.
        const record::RunReport report = report_locked();
        const HttpTimeout timeout =
            http_timeout(report.requests.empty() ? record::RequestKind::status_page : report.requests.back().kind,
                         settings_.http_timeout_ms);
        pending_ = timeout.outcome;
        pending_message_ = timeout.message;
        http_unanswered_ = true;
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
    if (over_locked()) return static_cast<void>(progress_.erase(found));
    if (screen.template_id == ui::templates::connecting) phase_took("connecting", screen.opened_ms);
    if (screen.template_id == ui::templates::waiting) phase_took("waiting for the read request", screen.opened_ms);
    if (screen.template_id == ui::templates::uploading && screen.restarting)
        phase_took("restart wait", screen.phase_ms);
    if (id == uploading_) uploading_ = 0;
    progress_.erase(found);
}

void CliScreens::show_progress_locked(Progress& screen, bool new_phase)
{
    if (!console_.progress_due(new_phase)) return;
    const std::uint32_t elapsed = platform::milliseconds() - screen.opened_ms;
    switch (screen.template_id) {
    case ui::templates::connecting:
        console_.progress(connecting_line(screen.caption, elapsed), new_phase);
        break;
    case ui::templates::waiting:
        console_.progress(waiting_line(elapsed, settings_.request_timeout_ms), new_phase);
        break;
    case ui::templates::uploading:
        if (screen.restarting) {
            if (!screen.transfer_failed)
                console_.progress(restart_line(updating_head(transfer_.transition_image, record_.device),
                                               screen.position, screen.range),
                                  new_phase);
        } else if (screen.counting) {
            console_.progress(uploading_line(uploading_head(transfer_.transition_image, record_.device),
                                             {transfer_.acknowledged, transfer_.total}, elapsed),
                              new_phase);
        }
        break;
    default:
        break;
    }
}

// The transfer's last line stays; after one the device did not finish, nothing speaks
// of a restart that is not to come.
void CliScreens::end_transfer_locked(Progress& screen)
{
    screen.transfer_failed = transfer_.given_up || transfer_.acknowledged < transfer_.total;
    if (transfer_.total == 0) return;
    console_.say(transfer_summary_line(uploading_head(transfer_.transition_image, record_.device),
                                       {transfer_.acknowledged, transfer_.total}, screen.phase_ms - screen.opened_ms));
}

void CliScreens::phase_took(std::string_view phase, std::uint32_t started_ms)
{
    console_.trace(phase_took_line(phase, platform::milliseconds() - started_ms));
}

void CliScreens::report_error(std::string_view message, std::string_view) { report(std::nullopt, message); }

void CliScreens::report_failure(session::Failure failure, std::string_view message, std::string_view)
{
    report(failure, message);
}

void CliScreens::report(std::optional<session::Failure> failure, std::string_view message)
{
    Outcome outcome;
    std::string shown(message);
    record::RunReport report;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (over_locked()) return;
        summarise_transfer_locked();
        report = report_locked();
        if (pending_ && (!failure || is_cancel(*failure))) {
            outcome = *pending_;
            shown = pending_message_;
            report.failure = failure_of_own_cancel(outcome);
        } else {
            outcome = failure ? outcome_of_failure(*failure) : Outcome::pc_failure;
            if (failure)
                shown = failure_message(*failure, message,
                                        {record::VersionsFact{report.version_expected, report.version_after}});
        }
        const record::Exchange* upgrade = record::last_request(report, record::RequestKind::upgrade_request);
        if (outcome == Outcome::no_request) shown = no_request_message(shown, upgrade);
        set_outcome_locked(outcome, shown);
        shown = record_.message;
    }
    const bool port_69_matters =
        outcome == Outcome::tftp_port ||
        (outcome == Outcome::no_request && report.tftp_port != 0 && report.tftp_port != record::first_listener_port);
    const auto causes = explained(outcome)
                            ? record::likely_causes(report, circumstances_of(report, http_unanswered_, port_69_matters))
                            : std::vector<std::string>{};
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        record_.likely_causes = causes;
    }
    if (settings_.log != nullptr) {
        settings_.log->set_likely_causes(causes);
        settings_.log->shown(shown);
    }
    console_.end_progress();
    console_.error(shown);
    if (settings_.one_of_several) return;
    // Beside the failure they explain, where a script that keeps only errors still sees them.
    if (!causes.empty()) console_.error("Likely causes:");
    for (const std::string& cause : causes) console_.error("  - " + cause);
}

int CliScreens::finish()
{
    // Never released: the first thread to finish ends the process, or, in a list's
    // process, reports the run; any other only leaves it.
    if (!settings_.one_of_several) finishing_.lock();
    else if (finishing_begun_.exchange(true)) return 0;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!decided_) {
            set_outcome_locked(pending_.value_or(Outcome::pc_failure),
                               pending_ ? pending_message_ : std::string(text::ended_unexpectedly));
            console_.error(record_.message);
            if (settings_.log != nullptr) settings_.log->shown(record_.message);
        }
        record_.seconds = (platform::milliseconds() - started_ms_) / 1000.0;
        // A run cut short in the middle of a transfer still tells how far it got, before its end.
        summarise_transfer_locked();
        fill_record_locked(report_locked());
    }
    console_.end_progress();
    // A list prints its runs' records itself.
    if (console_.json() && !settings_.one_of_several) {
        const std::string line = record_json(record_) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    finished_signal_.notify_all();
    return status_of(record_);
}

RunRecord CliScreens::finished_record()
{
    std::unique_lock<std::mutex> lock(mutex_);
    finished_signal_.wait(lock, [&] { return finished_; });
    return record_;
}

void CliScreens::end_process()
{
    const int status = finish();
    if (settings_.one_of_several) throw ui::RunEnded{};
    platform::end_process_with_status(status);
}

void CliScreens::idle(unsigned ms)
{
    if (!settings_.one_of_several) return platform::sleep_milliseconds(ms);
    std::unique_lock<std::mutex> lock(mutex_);
    if (finished_signal_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return finished_; })) throw ui::RunEnded{};
}

void CliScreens::note(const record::Fact& fact)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        // What a thread left behind learns once its run is reported goes nowhere.
        if (over_locked()) return;
        record::keep_fact(facts_, {platform::milliseconds(), fact});
        if (const auto* transfer = std::get_if<record::TransferFact>(&fact)) note_transfer_locked(*transfer);
        if (const auto* phase = std::get_if<record::PhaseFact>(&fact)) {
            if (phase->phase == record::Phase::restarting) note_restart_locked();
            if (phase->phase == record::Phase::transferring) transfer_summarised_ = false;
        }
    }
    if (settings_.log != nullptr) settings_.log->note(fact);
    trace_fact(fact);
}

bool CliScreens::notes_packets() const { return console_.every_packet(); }

void CliScreens::note_transfer_locked(const record::TransferFact& fact)
{
    transfer_ = fact;
    const auto found = progress_.find(uploading_);
    if (fact.given_up) summarise_transfer_locked();
    if (found == progress_.end() || fact.blocks_acknowledged == 0) return;
    Progress& screen = found->second;
    const bool counting_begins = !screen.counting;
    screen.counting = true;
    show_progress_locked(screen, counting_begins);
}

void CliScreens::note_restart_locked()
{
    const auto found = progress_.find(uploading_);
    if (found == progress_.end() || found->second.restarting) return;
    Progress& screen = found->second;
    screen.restarting = true;
    screen.phase_ms = platform::milliseconds();
    summarise_transfer_locked();
    end_transfer_locked(screen);
}

void CliScreens::trace_fact(const record::Fact& fact)
{
    if (!console_.verbose()) return;
    const TraceDetail detail = console_.every_packet() ? TraceDetail::packets : TraceDetail::steps;
    for (const std::string& line : trace_lines(fact, detail)) console_.trace(line);
}

// Once, at the restart wait or when the device stopped answering, whichever comes first;
// it took from its phase's start to the last fact.
void CliScreens::summarise_transfer_locked()
{
    if (transfer_summarised_) return;
    const record::RunReport report = report_locked();
    if (report.transfer.total == 0) return;
    transfer_summarised_ = true;
    std::uint32_t duration_ms = 0;
    for (const record::PhaseSpan& span : report.phases)
        if (span.phase == record::Phase::transferring)
            duration_ms = static_cast<std::uint32_t>(facts_.back().at_ms - facts_.front().at_ms) - span.start_ms;
    console_.trace(transfer_summary(report.transfer, duration_ms));
}

}  // namespace voq::cli
