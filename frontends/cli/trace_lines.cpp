#include "frontends/cli/trace_lines.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>

#include "ui/views.h"

namespace voq::cli {

namespace {

// The core's texts that carry addresses in hexadecimal; an HTTP answer that happens
// to hold "12:30" is left alone.
constexpr std::array<std::string_view, 7> addressed_texts{
    "HTTP ", "Client IP = ", "Unknown source request in session: ", "TFTP listening on ", "TFTP bind ",
    "HTTP connect to ", "HTTP bind ",
};

bool has_addresses(std::string_view line)
{
    for (const std::string_view prefix : addressed_texts) {
        if (line.substr(0, prefix.size()) != prefix || line.size() == prefix.size()) continue;
        if (std::isxdigit(static_cast<unsigned char>(line[prefix.size()])) ||
            line.substr(prefix.size()).starts_with("connect") || line.substr(prefix.size()).starts_with("bind"))
            return true;
    }
    return false;
}

// A run of 1 to 8 hexadecimal digits standing alone, before ':' or at the line's end
// ("Client IP = 7f000001"), is an address.
std::string dot_addresses(std::string_view line)
{
    std::string out;
    std::size_t i = 0;
    while (i < line.size()) {
        const bool word_start = i == 0 || line[i - 1] == ' ';
        std::size_t end = i;
        while (end < line.size() && std::isxdigit(static_cast<unsigned char>(line[end]))) ++end;
        const bool alone = end == line.size() || line[end] == ':';
        std::uint32_t value = 0;
        if (word_start && end > i && end - i <= 8 && alone &&
            std::from_chars(line.data() + i, line.data() + end, value, 16).ec == std::errc{}) {
            out += ui::dotted(value);
            i = end;
            continue;
        }
        if (end == i) end = i + 1;
        out.append(line.substr(i, end - i));
        i = end;
    }
    return out;
}

std::string hide_digest_response(std::string_view line)
{
    constexpr std::string_view key = "response=\"";
    std::string out(line);
    for (std::size_t at = out.find(key); at != std::string::npos; at = out.find(key, at + 1)) {
        if (at > 0 && out[at - 1] != ' ' && out[at - 1] != ',') continue;  // "rspauth", "qop" and friends
        const std::size_t start = at + key.size();
        const std::size_t close = out.find('"', start);
        out.replace(start, (close == std::string::npos ? out.size() : close) - start, "(hidden)");
    }
    return out;
}

}  // namespace

std::vector<std::string> readable_trace_lines(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        std::string kept;
        for (const char c : line)
            if (c != '\r' && (static_cast<unsigned char>(c) >= 0x20 || c == '\t')) kept += c;
        if (kept.empty()) continue;
        lines.push_back(has_addresses(kept) ? dot_addresses(kept) : hide_digest_response(kept));
    }
    return lines;
}

unsigned listening_port(std::string_view text)
{
    constexpr std::string_view prefix = "TFTP listening on ";
    if (!text.starts_with(prefix)) return 0;
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return 0;
    unsigned port = 0;
    const char* end = text.data() + text.size();
    const char* first = text.data() + colon + 1;
    const auto [stopped, error] = std::from_chars(first, end, port);
    return error == std::errc{} && stopped != first && port <= 65535 ? port : 0;
}

}  // namespace voq::cli
