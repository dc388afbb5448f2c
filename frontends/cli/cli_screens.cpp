#include "frontends/cli/cli_screens.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

#include "frontends/cli/cli_texts.h"
#include "frontends/cli/failure_message.h"
#include "frontends/cli/hints.h"
#include "frontends/cli/http_timeout.h"
#include "frontends/cli/interruption.h"
#include "frontends/cli/progress_line.h"
#include "frontends/cli/record_json.h"
#include "frontends/cli/trace_lines.h"
#include "frontends/cli/yes_no.h"
#include "platform/clock.h"
#include "platform/local_addresses.h"
#include "platform/port_holder.h"
#include "platform/process.h"
#include "platform/terminal.h"
#include "session/failure_codes.h"
#include "session/messages.h"
#include "ui/texts.h"
#include "ui/views.h"

namespace voq::cli {

namespace {

// The failure the core noted on this thread just before it reports its message.
thread_local std::optional<session::Failure> noted_failure;

bool is_cancel(session::Failure failure)
{
    return failure == session::Failure::user_abort || failure == session::Failure::password_not_given ||
           failure == session::Failure::upgrade_declined;
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
      started_ms_(platform::milliseconds()), main_thread_(std::this_thread::get_id())
{
}

bool CliScreens::confirmed(std::string_view question)
{
    if (settings_.yes) return true;
    if (!settings_.interactive) return false;
    const auto answer = console_.ask(std::string(question) + " [y/N] ", true);
    return answer && !platform::terminal::interrupted() && is_yes(*answer);
}

void CliScreens::set_outcome(Outcome outcome, std::string_view message)
{
    const bool signalled =
        outcome == Outcome::interrupted || outcome == Outcome::terminated || outcome == Outcome::hung_up;
    record_.outcome = outcome;
    record_.message =
        signalled ? interrupted_message(message, record_.delivered, record_.device) : std::string(message);
    decided_ = true;
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
    std::optional<record::StandingFact> standing;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        standing = standing_;
        if (standing) record_.transition_first = standing->transition_first;
    }
    // Without the core's reading of the version a check could tell nothing, so it upgrades nothing either.
    const StandingVerdict verdict =
        standing ? standing_verdict(settings_.mode, *standing, view.software_version, target_version_)
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
    // The staged note follows the screen's fixed text; the rest speaks of its buttons.
    if (view.text.size() > ui::text::confirm.size()) console_.say(view.text.substr(ui::text::confirm.size()));
    const bool upgrade = confirmed("Upgrade?");
    const std::lock_guard<std::mutex> lock(mutex_);
    if (upgrade) {
        upgrade_confirmed_ = true;
        return 1;
    }
    pending_ = platform::terminal::interrupted() ? current_interruption().outcome : Outcome::declined;
    pending_message_ = platform::terminal::interrupted() ? current_interruption().message : text::upgrade_not_confirmed;
    return 0;
}

// Nothing more is sent: the upgrade request, the listener and its port are never reached.
void CliScreens::end_without_upgrade(const StandingVerdict& verdict)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        set_outcome(verdict.outcome, verdict.message);
    }
    if (settings_.log != nullptr) settings_.log->shown(verdict.message);
    console_.say(verdict.message);
    platform::end_process_with_status(finish());
}

int CliScreens::show_success(const ui::SuccessView& view)
{
    record_.version_after = view.version;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        set_outcome(Outcome::upgraded, view.caption);
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
    const ui::ProgressId id = next_progress_++;
    Progress& screen = progress_[id];
    screen.template_id = view.template_id;
    screen.caption = view.caption;
    screen.range = view.range_high;
    screen.opened_ms = platform::milliseconds();
    screen.request = request_on_screen(upgrade_confirmed_, std::this_thread::get_id() == main_thread_);
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
    Progress& screen = progress_[id];
    if (platform::terminal::interrupted()) {
        pending_ = current_interruption().outcome;
        pending_message_ = current_interruption().message;
        return ui::Pump::cancelled;
    }
    if (screen.template_id == ui::templates::connecting && settings_.http_timeout_ms > 0 &&
        platform::milliseconds() - screen.opened_ms >= settings_.http_timeout_ms && !transfer_running_locked()) {
        const HttpTimeout timeout = http_timeout(screen.request, settings_.http_timeout_ms);
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

void CliScreens::report_error(std::string_view message, std::string_view)
{
    Outcome outcome;
    std::string shown(message);
    HintFacts facts{settings_.pc_address, settings_.device_address, platform::netmask_of(settings_.pc_address), 0, {}};
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        facts.tftp_port = record_.port;
        facts.upgrade_answer = record_.upgrade_answer;
        facts.http_refusal = http_refusal_;
        facts.http_unanswered = http_unanswered_;
        facts.tftp_refusals = tftp_refusals_;
        facts.root = platform::runs_as_root();
        facts.version_before = record_.version_before;
        facts.transition_first = standing_ && standing_->transition_first;
        facts.staged = staged_;
        summarise_transfer_locked(platform::milliseconds() - transfer_started_ms_);
        const std::optional<session::Failure> failure = std::exchange(noted_failure, std::nullopt);
        if (pending_ && (!failure || is_cancel(*failure))) {
            outcome = *pending_;
            shown = pending_message_;
        } else {
            outcome = failure ? outcome_of_failure(*failure) : Outcome::pc_failure;
            if (failure) shown = failure_message(*failure, message, {versions_});
        }
        if (outcome == Outcome::no_request) shown = no_request_message(shown, facts.upgrade_answer);
        set_outcome(outcome, shown);
        shown = record_.message;
    }
    if (settings_.log != nullptr) settings_.log->shown(shown);
    console_.end_progress();
    console_.error(shown);
    if (outcome == Outcome::tftp_port ||
        (outcome == Outcome::no_request && facts.tftp_port != 0 && facts.tftp_port != 69)) {
        if (auto holder = platform::udp_port_holder(settings_.pc_address, 69)) {
            facts.port_69_ours = holder->this_program;
            if (!holder->this_program) facts.port_69_holder = std::move(holder->name);
        }
    }
    const auto causes = likely_causes(outcome, facts);
    // Beside the failure they explain, where a script that keeps only errors still sees them.
    if (!causes.empty()) console_.error("Likely causes:");
    for (const std::string& cause : causes) console_.error("  - " + cause);
}

int CliScreens::finish()
{
    finishing_.lock();  // never released: the first thread to finish ends the process
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!decided_) {
            set_outcome(pending_.value_or(Outcome::pc_failure),
                        pending_ ? pending_message_ : std::string(text::ended_unexpectedly));
            console_.error(record_.message);
            if (settings_.log != nullptr) settings_.log->shown(record_.message);
        }
        record_.seconds = (platform::milliseconds() - started_ms_) / 1000.0;
        // A run cut short in the middle of a transfer still tells how far it got, before its end.
        summarise_transfer_locked(platform::milliseconds() - transfer_started_ms_);
    }
    console_.end_progress();
    if (console_.json()) {
        const std::string line = record_json(record_) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }
    return status_of(record_);
}

void CliScreens::end_process()
{
    const int status = finish();
    platform::end_process_with_status(status);
}

void CliScreens::note(const record::Fact& fact)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (const auto* listening = std::get_if<record::ListeningFact>(&fact)) record_.port = listening->port;
        if (const auto* start = std::get_if<record::StartFact>(&fact)) {
            target_version_ = start->target_version;
            staged_ = start->staged;
        }
        if (const auto* standing = std::get_if<record::StandingFact>(&fact)) standing_ = *standing;
        if (const auto* answer = std::get_if<record::AnswerFact>(&fact);
            answer && answer->request_line.starts_with("GET /admin/upgrade?"))
            record_.upgrade_answer = answer->status_line;
        if (const auto* transfer = std::get_if<record::TransferFact>(&fact)) note_transfer_locked(*transfer);
        if (const auto* refused = std::get_if<record::CallFailedFact>(&fact)) {
            if (refused->call == record::Call::tftp_bind) tftp_refusals_.push_back(*refused);
            if (is_http_call(refused->call)) http_refusal_ = *refused;
        }
        if (const auto* versions = std::get_if<record::VersionsFact>(&fact)) {
            record_.version_after = versions->reported;
            versions_ = *versions;
        }
        if (const auto* phase = std::get_if<record::PhaseFact>(&fact);
            phase && phase->phase == record::Phase::restarting)
            note_restart_locked();
        if (const auto* phase = std::get_if<record::PhaseFact>(&fact);
            phase && phase->phase == record::Phase::transferring) {
            transfer_summarised_ = false;
            transfer_started_ms_ = platform::milliseconds();
        }
    }
    if (const auto* failure = std::get_if<record::FailureFact>(&fact)) noted_failure = failure->code;
    if (settings_.log != nullptr) settings_.log->note(fact);
    trace_fact(fact);
}

void CliScreens::note_transfer_locked(const record::TransferFact& fact)
{
    transfer_ = fact;
    record_.bytes = fact.acknowledged;
    record_.delivered = fact.total > 0 && fact.acknowledged == fact.total && !fact.given_up;
    const auto found = progress_.find(uploading_);
    if (fact.given_up && found != progress_.end())
        summarise_transfer_locked(platform::milliseconds() - found->second.opened_ms);
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
    summarise_transfer_locked(screen.phase_ms - screen.opened_ms);
    end_transfer_locked(screen);
}

void CliScreens::trace_fact(const record::Fact& fact)
{
    if (!console_.verbose()) return;
    const TraceDetail detail = console_.every_packet() ? TraceDetail::packets : TraceDetail::steps;
    for (const std::string& line : trace_lines(fact, detail)) console_.trace(line);
}

// Once, at the restart wait or when the device stopped answering, whichever comes first.
void CliScreens::summarise_transfer_locked(std::uint32_t duration_ms)
{
    if (transfer_summarised_ || transfer_.total == 0) return;
    transfer_summarised_ = true;
    console_.trace(transfer_summary(transfer_, duration_ms));
}

}  // namespace voq::cli
