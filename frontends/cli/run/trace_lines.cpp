#include "frontends/cli/run/trace_lines.h"

#include <cstdio>
#include <variant>

#include "ui/views.h"

namespace voq::cli {

bool is_http_call(record::Call call)
{
    switch (call) {
    case record::Call::http_bind:
    case record::Call::http_connect:
    case record::Call::http_send:
    case record::Call::http_receive:
        return true;
    case record::Call::tftp_bind:
    case record::Call::tftp_send:
        return false;
    }
    return false;
}

namespace {

std::string_view area_of(const record::Fact& fact)
{
    if (const auto* refused = std::get_if<record::CallFailedFact>(&fact))
        return is_http_call(refused->call) ? "http" : "tftp";
    if (std::holds_alternative<record::RequestFact>(fact) || std::holds_alternative<record::AnswerFact>(fact))
        return "http";
    if (std::holds_alternative<record::ListeningFact>(fact) || std::holds_alternative<record::ReadRequestFact>(fact) ||
        std::holds_alternative<record::TransferFact>(fact) || std::holds_alternative<record::PacketFact>(fact))
        return "tftp";
    return "run";
}

std::string seconds_text(std::uint32_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", ms / 1000.0);
    return text;
}

}  // namespace

std::vector<std::string> trace_lines(const record::Fact& fact, TraceDetail detail)
{
    if (detail == TraceDetail::none) return {};
    // One transfer fact comes with every acknowledgement, a packet fact with every datagram.
    const bool per_packet =
        std::holds_alternative<record::TransferFact>(fact) || std::holds_alternative<record::PacketFact>(fact);
    if (per_packet && detail != TraceDetail::packets) return {};
    const std::string area(area_of(fact));
    const bool request = std::holds_alternative<record::RequestFact>(fact);
    const std::string text = record::fact_text(fact);
    std::vector<std::string> lines;
    std::string_view left = text;
    while (!left.empty()) {
        const std::size_t end = left.find('\n');
        std::string_view line = left.substr(0, end);
        left = end == std::string_view::npos ? std::string_view{} : left.substr(end + 1);
        // The label says it: "HTTP bind ..." reads "http: bind ...".
        for (const std::string_view word : {"HTTP ", "TFTP "})
            if (line.starts_with(word)) line.remove_prefix(word.size());
        std::string shown = area + ": ";
        if (request && lines.empty()) shown += "request from ";
        shown += line;
        lines.push_back(std::move(shown));
    }
    return lines;
}

std::string transfer_summary(const record::TransferCounters& transfer, std::uint32_t duration_ms)
{
    return std::string("tftp: ") + (transfer.transition_image ? "transition" : "target") + " image " +
           (transfer.given_up                 ? "given up after "
            : transfer.bytes < transfer.total ? "stopped after "
                                              : "sent in ") +
           seconds_text(duration_ms) + ": " + std::to_string(transfer.blocks) + " blocks acknowledged, " +
           std::to_string(transfer.bytes) + " of " + std::to_string(transfer.total) + " bytes, " +
           std::to_string(transfer.retransmissions) + " retransmissions";
}

std::string phase_took_line(std::string_view phase, std::uint32_t duration_ms)
{
    return "run: " + std::string(phase) + " took " + seconds_text(duration_ms);
}

}  // namespace voq::cli
