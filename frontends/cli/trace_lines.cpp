#include "frontends/cli/trace_lines.h"

#include <charconv>
#include <cstdio>
#include <variant>

#include "ui/views.h"

namespace voq::cli {

bool is_http_call(ui::Call call)
{
    switch (call) {
    case ui::Call::http_bind:
    case ui::Call::http_connect:
    case ui::Call::http_send:
    case ui::Call::http_receive: return true;
    case ui::Call::tftp_bind:
    case ui::Call::tftp_send: return false;
    }
    return false;
}

namespace {

std::string_view area_of(const ui::Fact& fact)
{
    if (const auto* refused = std::get_if<ui::CallFailedFact>(&fact))
        return is_http_call(refused->call) ? "http" : "tftp";
    if (std::holds_alternative<ui::RequestFact>(fact) || std::holds_alternative<ui::AnswerFact>(fact)) return "http";
    if (std::holds_alternative<ui::ListeningFact>(fact) || std::holds_alternative<ui::ReadRequestFact>(fact) ||
        std::holds_alternative<ui::TransferFact>(fact))
        return "tftp";
    return "run";
}

std::string seconds_text(std::uint32_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", ms / 1000.0);
    return text;
}

// The numbers of a text such as "Send block 12 (512)", in order; hexadecimal where
// the core prints an address so.
std::vector<unsigned long> numbers_in(std::string_view text, int base)
{
    std::vector<unsigned long> numbers;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    const std::string_view digits = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
    while (at < end) {
        if (digits.find(*at) == std::string_view::npos) {
            ++at;
            continue;
        }
        unsigned long value = 0;
        const auto [stop, error] = std::from_chars(at, end, value, base);
        if (error != std::errc{}) return {};
        numbers.push_back(value);
        at = stop;
    }
    return numbers;
}

std::string without_newline(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    return std::string(text);
}

}  // namespace

std::vector<std::string> trace_lines(const ui::Fact& fact, TraceDetail detail)
{
    if (detail == TraceDetail::none) return {};
    if (std::holds_alternative<ui::TransferFact>(fact) && detail != TraceDetail::packets) return {};
    const std::string area(area_of(fact));
    const bool request = std::holds_alternative<ui::RequestFact>(fact);
    const std::string text = ui::fact_text(fact);
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

std::string transfer_summary(const ui::TransferFact& fact, std::uint32_t duration_ms)
{
    return std::string("tftp: ") + (fact.transition_image ? "transition" : "target") + " image " +
           (fact.given_up ? "given up after " : fact.acknowledged < fact.total ? "stopped after " : "sent in ") +
           seconds_text(duration_ms) + ": " +
           std::to_string(fact.blocks_acknowledged) + " blocks acknowledged, " + std::to_string(fact.acknowledged) + " of " +
           std::to_string(fact.total) + " bytes, " + std::to_string(fact.retransmissions) + " retransmissions";
}

std::string phase_took_line(std::string_view phase, std::uint32_t duration_ms)
{
    return "run: " + std::string(phase) + " took " + seconds_text(duration_ms);
}

std::optional<std::string> core_trace_line(std::string_view text)
{
    const std::string line = without_newline(text);
    const auto numbers = numbers_in(line, 10);
    if (line.starts_with("Send block ") && numbers.size() == 2)
        return "tftp: sent block " + std::to_string(numbers[0]) + " (" + std::to_string(numbers[1]) + " bytes)";
    if (line.starts_with("ReSend block ") && numbers.size() == 1)
        return "tftp: sent block " + std::to_string(numbers[0]) + " again: no acknowledgement in time";
    if (line == "ReSend option ack") return "tftp: sent the option acknowledgement again: no acknowledgement in time";
    if (line == "All blocks ack'd") return "tftp: every block acknowledged";
    if (line.starts_with("++++size ") && numbers.size() == 3)
        return "tftp: image of " + std::to_string(numbers[0]) + " bytes in " + std::to_string(numbers[2]) +
               " blocks, the last of " + std::to_string(numbers[1]) + " bytes";
    if (line == "Timeout for ack; upgrade failed") return "tftp: no acknowledgement in time: transfer given up";
    if (constexpr std::string_view stranger = "Unknown source request in session: "; line.starts_with(stranger)) {
        const std::string_view endpoint = std::string_view(line).substr(stranger.size());
        const std::size_t colon = endpoint.find(':');
        const auto address = numbers_in(endpoint.substr(0, colon), 16);
        const auto port = colon == std::string_view::npos ? std::vector<unsigned long>{} : numbers_in(endpoint.substr(colon + 1), 10);
        if (address.size() != 1 || port.size() != 1 || address[0] > 0xffffffffu) return std::nullopt;
        return "tftp: packet from " + ui::dotted(static_cast<std::uint32_t>(address[0])) + ":" + std::to_string(port[0]) +
               ", not the device being served: ignored";
    }
    if (line == "TFTP Rx WRQ?") return "tftp: write request received: ignored";
    if (line == "TFTP Rx Data?") return "tftp: data packet received while waiting for a read request: ignored";
    if (line == "TFTP Rx ACK?") return "tftp: acknowledgement received while waiting for a read request: ignored";
    if (line == "TFTP Rx Error?") return "tftp: error packet received while waiting for a read request: ignored";
    return std::nullopt;
}

}  // namespace voq::cli
