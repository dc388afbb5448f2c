#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "record/facts.h"
#include "session/failure_codes.h"

namespace voq::record {

struct PhaseSpan {
    Phase phase;
    std::uint32_t start_ms;  // since the first fact
    std::uint32_t duration_ms;
};

// One request and what came of it.
struct Exchange {
    RequestKind kind;
    std::string request_line;
    bool signed_request = false;
    bool answered = false;
    std::string status_line{};
    int status_code = 0;
    bool challenge = false;
    std::uint32_t bytes = 0;
    std::optional<CallFailedFact> refused{};  // the call the system refused, and why
};

struct TransferCounters {
    bool started = false;
    bool transition_image = false;
    std::uint32_t blocks = 0;  // acknowledged
    std::uint32_t bytes = 0;   // acknowledged
    std::uint32_t total = 0;
    std::uint32_t retransmissions = 0;
    std::uint32_t ignored = 0;  // datagrams, where packets were noted
    bool given_up = false;
};

// A run as its facts tell it, one record for every reader: the command line, the
// support logs, the diagnosis.
struct RunReport {
    std::uint32_t pc_address = 0;
    std::uint32_t device_address = 0;
    std::uint16_t tftp_port = 0;  // 0: the listener never started
    std::vector<PhaseSpan> phases;
    std::vector<Exchange> requests;
    std::vector<CallFailedFact> tftp_refusals;  // each range of ports searched, with its first refusal
    bool read_request = false;                  // the device asked for the file offered
    TransferCounters transfer;
    std::string version_before;
    std::string version_expected;
    std::string version_target;  // of the firmware the program carries
    std::string version_after;
    std::optional<Standing> standing;
    bool transition_first = false;
    bool staged = false;  // the build serves the transition image first where needed
    std::optional<session::Failure> failure;
};

// Folds a run's facts, in the order they were noted, into its report.
RunReport fold_run(std::span<const Noted> facts);

// Adds noted to a run's facts. A transfer fact that follows another replaces it: the
// fold keeps only the latest of them, and a transfer notes one a block, which would
// make the run grow by the image's size over again.
void keep_fact(std::vector<Noted>& run, Noted noted);

// The last request of kind, if one went.
const Exchange* last_request(const RunReport& report, RequestKind kind);

}  // namespace voq::record
