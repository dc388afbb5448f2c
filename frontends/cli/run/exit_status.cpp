#include "frontends/cli/run/exit_status.h"

#include <array>
#include <limits>

#include "frontends/cli/command_line/help_text.h"

namespace voq::cli {

namespace {

constexpr std::array<OutcomeEntry, 20> table{{
    {Outcome::upgraded, 0, "upgraded", "upgraded and verified"},
    {Outcome::current, 0, "current", "(--check, --if-needed) the device runs the tool's version and is left alone"},
    {Outcome::not_a_voq, 0, "not-a-voq",
     "(a range) a web server that is not a VOQ: its status page gave no version; nothing else was sent"},
    {Outcome::usage, 1, "usage", "usage error (bad option, address or file)"},
    {Outcome::declined, 1, "declined", "the warning or the confirmation not accepted"},
    {Outcome::no_response, 2, "no-response", "no response from the device"},
    {Outcome::password, 3, "password", "password refused or not given"},
    {Outcome::tftp_port, 4, "tftp-port", "the TFTP port could not be bound"},
    {Outcome::upload_incomplete, 5, "upload-incomplete", "firmware upload incomplete"},
    {Outcome::version_mismatch, 6, "version-mismatch", "version not matching after the upgrade"},
    {Outcome::no_request, 7, "no-request", "the device never asked for the firmware within the request time-out"},
    {Outcome::no_answer_after_restart, 8, "no-answer-after-restart", "no answer from the device after its restart"},
    {Outcome::pc_failure, 9, "pc-failure",
     "this PC could not open or bind its HTTP socket, or another failure of its own"},
    {Outcome::outdated, status_not_current, "outdated", "(--check) the device runs an older version than the tool's"},
    {Outcome::newer, status_not_current, "newer", "or a later one (with --if-needed: left alone, status 0)"},
    {Outcome::unreadable, status_unreadable, "unreadable",
     "(--check, --if-needed) the device's status page gave no version; nothing was sent"},
    {Outcome::not_started, status_not_started, "not-started",
     "(--max-failures) not started, as enough devices had failed before its turn"},
    {Outcome::interrupted, 130, "interrupted", "interrupted (Ctrl+C, SIGINT)"},
    {Outcome::terminated, 143, "terminated", "ended by SIGTERM (on Windows: logging off or shutting down)"},
    {Outcome::hung_up, 129, "hung-up", "ended by SIGHUP, its terminal closed (on Windows: its console closed)"},
}};

}  // namespace

std::span<const OutcomeEntry> outcome_table() { return table; }

const OutcomeEntry& entry_of(Outcome outcome)
{
    for (const OutcomeEntry& entry : table)
        if (entry.outcome == outcome) return entry;
    return table.back();
}

Outcome outcome_of_failure(session::Failure failure)
{
    using session::Failure;
    switch (failure) {
    case Failure::no_response:
        return Outcome::no_response;
    case Failure::no_response_after_restart:
        return Outcome::no_answer_after_restart;
    case Failure::user_abort:
    case Failure::password_not_given:
    case Failure::upgrade_declined:
        return Outcome::interrupted;
    case Failure::cannot_allocate_listener:
    case Failure::cannot_create_listener_socket:
    case Failure::cannot_bind_listener_socket:
    case Failure::cannot_start_listener:
        return Outcome::tftp_port;
    case Failure::upload_incomplete:
        return Outcome::upload_incomplete;
    case Failure::version_mismatch:
        return Outcome::version_mismatch;
    case Failure::winsock_init:
    case Failure::firmware_missing:
    case Failure::cannot_open_http_socket:
    case Failure::cannot_bind_http_socket:
    case Failure::cannot_allocate_session:
        return Outcome::pc_failure;
    }
    return Outcome::pc_failure;
}

std::string exit_status_help(std::size_t width)
{
    if (width == 0) width = std::numeric_limits<std::size_t>::max() / 2;
    std::string help = "Exit status:\n";
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i > 0 && table[i - 1].status == table[i].status) continue;
        std::string meaning(table[i].meaning);
        for (std::size_t k = i + 1; k < table.size() && table[k].status == table[i].status; ++k)
            meaning += "; " + std::string(table[k].meaning);
        help += list_entry(std::to_string(table[i].status), meaning, width, 7);
    }
    help += paragraph("With --devices: the status of the first device in the file that failed; when none failed, " +
                          std::to_string(status_not_current) + " when --check found one that is not current, else 0.",
                      width);
    return help;
}

Outcome outcome_of_signal(int signal)
{
    switch (signal) {
    case 15:
        return Outcome::terminated;
    case 1:
        return Outcome::hung_up;
    default:
        return Outcome::interrupted;
    }
}

}  // namespace voq::cli
