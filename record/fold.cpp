#include <variant>

#include "record/run_report.h"

namespace voq::record {

namespace {

struct Fold {
    RunReport& report;
    std::uint32_t at_ms;  // since the first fact

    void operator()(const StartFact& f) const
    {
        report.staged = f.staged;
        report.version_expected = f.target_version;
        report.version_target = f.target_version;
    }
    void operator()(const DeviceFact& f) const
    {
        report.pc_address = f.pc_address;
        report.device_address = f.device_address;
    }
    void operator()(const PhaseFact& f) const
    {
        close_phase();
        report.phases.push_back({f.phase, at_ms, 0});
    }
    void operator()(const RequestFact& f) const
    {
        report.requests.push_back({f.kind, f.request_line, f.signed_request});
        // A staged run asks twice: whether the device asked is a matter of the last request.
        if (f.kind == RequestKind::upgrade_request) report.read_request = false;
    }
    void operator()(const AnswerFact& f) const
    {
        if (report.requests.empty()) report.requests.push_back({f.kind, f.request_line});
        Exchange& exchange = report.requests.back();
        exchange.answered = !f.status_line.empty();
        exchange.status_line = f.status_line;
        exchange.status_code = f.status_code;
        exchange.challenge = f.challenge;
        exchange.bytes = f.bytes;
    }
    void operator()(const CallFailedFact& f) const
    {
        switch (f.call) {
        case Call::http_bind:
        case Call::http_connect:
        case Call::http_send:
        case Call::http_receive:
            if (!report.requests.empty()) report.requests.back().refused = f;
            return;
        case Call::tftp_bind:
            report.tftp_refusals.push_back(f);
            return;
        case Call::tftp_send:
            return;
        }
    }
    void operator()(const ListeningFact& f) const { report.tftp_port = f.port; }
    void operator()(const ReadRequestFact& f) const { report.read_request = report.read_request || f.accepted; }
    void operator()(const TransferFact& f) const
    {
        TransferCounters& t = report.transfer;
        t.started = true;
        t.transition_image = f.transition_image;
        t.blocks = f.blocks_acknowledged;
        t.bytes = f.acknowledged;
        t.total = f.total;
        t.retransmissions = f.retransmissions;
        t.given_up = f.given_up;
    }
    void operator()(const PacketFact& f) const
    {
        switch (f.packet) {
        case Packet::ignored_other_peer:
        case Packet::ignored_not_acknowledgement:
        case Packet::ignored_stale:
            ++report.transfer.ignored;
            return;
        default:
            return;
        }
    }
    void operator()(const VersionsFact& f) const
    {
        report.version_expected = f.expected;
        report.version_after = f.reported;
    }
    void operator()(const StandingFact& f) const
    {
        report.standing = f.standing;
        report.transition_first = f.transition_first;
        report.version_before = f.reported;
    }
    void operator()(const FailureFact& f) const { report.failure = f.code; }

    void close_phase() const
    {
        if (!report.phases.empty()) {
            PhaseSpan& last = report.phases.back();
            last.duration_ms = at_ms - last.start_ms;
        }
    }
};

}  // namespace

RunReport fold_run(std::span<const Noted> facts)
{
    RunReport report;
    if (facts.empty()) return report;
    const std::uint32_t first_ms = facts.front().at_ms;
    for (const Noted& noted : facts) std::visit(Fold{report, noted.at_ms - first_ms}, noted.fact);
    // The last phase lasts until the last fact.
    Fold{report, facts.back().at_ms - first_ms}.close_phase();
    return report;
}

void keep_fact(std::vector<Noted>& run, Noted noted)
{
    const bool progress = std::holds_alternative<TransferFact>(noted.fact);
    if (progress && !run.empty() && std::holds_alternative<TransferFact>(run.back().fact))
        run.back() = std::move(noted);
    else run.push_back(std::move(noted));
}

const Exchange* last_request(const RunReport& report, RequestKind kind)
{
    for (auto it = report.requests.rbegin(); it != report.requests.rend(); ++it)
        if (it->kind == kind) return &*it;
    return nullptr;
}

}  // namespace voq::record
