#include "frontends/cli/trace_lines.h"

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
        std::holds_alternative<record::TransferFact>(fact))
        return "tftp";
    return "run";
}

std::string seconds_text(std::uint32_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", ms / 1000.0);
    return text;
}

std::string without_newline(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    return std::string(text);
}

}  // namespace

std::vector<std::string> trace_lines(const record::Fact& fact, TraceDetail detail)
{
    if (detail == TraceDetail::none) return {};
    if (std::holds_alternative<record::TransferFact>(fact) && detail != TraceDetail::packets) return {};
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

std::string transfer_summary(const record::TransferFact& fact, std::uint32_t duration_ms)
{
    return std::string("tftp: ") + (fact.transition_image ? "transition" : "target") + " image " +
           (fact.given_up                    ? "given up after "
            : fact.acknowledged < fact.total ? "stopped after "
                                             : "sent in ") +
           seconds_text(duration_ms) + ": " + std::to_string(fact.blocks_acknowledged) + " blocks acknowledged, " +
           std::to_string(fact.acknowledged) + " of " + std::to_string(fact.total) + " bytes, " +
           std::to_string(fact.retransmissions) + " retransmissions";
}

std::string phase_took_line(std::string_view phase, std::uint32_t duration_ms)
{
    return "run: " + std::string(phase) + " took " + seconds_text(duration_ms);
}

std::optional<std::string> core_trace_line(std::string_view text)
{
    // The core's words stay as they are, a gloss beside the terse ones; which to show is
    // decided by how they begin, so that nothing else (a request with its Authorization
    // line, a file name the device chose) gets through.
    struct Gloss {
        std::string_view start;
        bool whole;  // the text is all of it
        std::string_view meaning;
    };
    static constexpr Gloss glosses[] = {
        {"Send block ", false, ""},
        {"ReSend block ", false, "no acknowledgement in time"},
        {"ReSend option ack", true, "no acknowledgement in time"},
        {"All blocks ack'd", true, ""},
        {"++++size ", false, "the image's bytes, its last block's bytes, its blocks"},
        {"Timeout for ack; upgrade failed", true, "the transfer given up"},
        {"Unknown source request in session: ", false,
         "a packet from another address, in hexadecimal, or port: ignored"},
        {"TFTP Rx WRQ?", true, "a write request: ignored"},
        {"TFTP Rx Data?", true, "a data packet before any read request: ignored"},
        {"TFTP Rx ACK?", true, "an acknowledgement before any read request: ignored"},
        {"TFTP Rx Error?", true, "an error packet before any read request: ignored"},
    };
    const std::string line = without_newline(text);
    for (const Gloss& gloss : glosses) {
        if (gloss.whole ? line != gloss.start : !line.starts_with(gloss.start)) continue;
        if (line.find_first_not_of(gloss.whole ? "" : "0123456789abcdef:(), ", gloss.start.size()) != std::string::npos)
            return std::nullopt;
        // The label already says TFTP.
        const std::string_view said =
            std::string_view(line).starts_with("TFTP ") ? std::string_view(line).substr(5) : line;
        std::string shown = "tftp: " + std::string(said);
        if (!gloss.meaning.empty()) shown += " (" + std::string(gloss.meaning) + ")";
        return shown;
    }
    return std::nullopt;
}

}  // namespace voq::cli
