#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "session/failure_codes.h"

namespace voq::cli {

// How one run ended; each has its exit status, so that a script can tell them apart.
enum class Outcome {
    upgraded,
    current,  // --check, --if-needed: the device runs the tool's version
    usage,
    declined,
    no_response,
    password,
    tftp_port,
    upload_incomplete,
    version_mismatch,
    no_request,
    no_answer_after_restart,
    pc_failure,
    outdated,     // --check: it runs an older version
    newer,        // --check, --if-needed: it runs a later version
    unreadable,   // --check, --if-needed: its status page gave no version, so nothing was sent
    not_a_voq,    // an address of a range where a web server that is no VOQ answered
    not_started,  // --max-failures: enough had failed before its turn
    interrupted,
    terminated,
    hung_up,
};

struct OutcomeEntry {
    Outcome outcome;
    int status;
    std::string_view name;     // in --json and the summary table
    std::string_view meaning;  // in --help; the manual page words each at more length
};

std::span<const OutcomeEntry> outcome_table();
const OutcomeEntry& entry_of(Outcome outcome);
inline int exit_status_of(Outcome outcome) { return entry_of(outcome).status; }

// The outcome a failure of the core stands for. A Cancel the program gave itself has
// its own reason, which the caller knows better.
Outcome outcome_of_failure(session::Failure failure);

// A run that did what it was asked: 0 when it ends so. A device that --check finds
// the tool's firmware would change is no failure, yet no success either.
inline constexpr int status_not_current = 10;
// Neither current nor outdated: the device could not be read.
inline constexpr int status_unreadable = 11;
// Never run: the devices that had failed before its turn give the run its status.
inline constexpr int status_not_started = 12;

// The table as --help lists it, one status an entry (two outcomes may share one),
// wrapped to width columns; 0 leaves each entry on one line.
std::string exit_status_help(std::size_t width = 0);

// The outcome of a run that a signal ended: 2 (Ctrl+C), 15 (SIGTERM) or 1 (SIGHUP).
Outcome outcome_of_signal(int signal);

}  // namespace voq::cli
