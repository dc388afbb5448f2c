#include "drivers/scripted/script.h"

#include <charconv>

#include "app/device_address.h"
#include "tftp/completion.h"
#include "ui/screens.h"

namespace voq::ui::scripted {

namespace {

int hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<int> number(const std::string& word)
{
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc{} || end != word.data() + word.size() || word.empty()) return std::nullopt;
    return value;
}

std::optional<int> progress_template(const std::string& name)
{
    if (name == "connecting") return templates::connecting;
    if (name == "waiting") return templates::waiting;
    if (name == "uploading") return templates::uploading;
    return std::nullopt;
}

ModalAnswer yes(std::string typed = {}, std::string password = {})
{
    ModalAnswer answer;
    answer.affirmative = true;
    answer.typed = std::move(typed);
    answer.password = std::move(password);
    return answer;
}

// The answer of one modal line, or a reason it is not one.
std::variant<ModalAnswer, std::string> modal_answer(const std::vector<std::string>& words)
{
    const std::string& screen = words[0];
    const std::string verb = words.size() > 1 ? words[1] : "";
    if (verb == "cancel" && words.size() == 2) return ModalAnswer{};
    if (screen == "warning" && verb == "continue" && words.size() == 2) return yes();
    if (screen == "confirm" && verb == "upgrade" && words.size() == 2) return yes();
    if (screen == "success" && verb == "ok" && words.size() == 2) return yes();
    if (screen == "success" && verb == "close" && words.size() == 2) return ModalAnswer{};
    if (screen == "password" && verb == "enter" && words.size() == 4) return yes(words[2], words[3]);
    if (screen == "address" && verb == "type" && (words.size() == 3 || words.size() == 5)) {
        ModalAnswer answer = yes(words[2]);
        if (words.size() == 5) {
            const auto selection = number(words[4]);
            if (words[3] != "select" || !selection) return std::string("expected: select N");
            answer.selection = *selection;
        }
        return answer;
    }
    return "no such answer for the " + screen + " screen";
}

std::optional<std::string> read_line(Script& script, const std::vector<std::string>& words)
{
    const std::string& head = words[0];
    if (head == "warning" || head == "address" || head == "password" || head == "confirm" || head == "success") {
        auto answer = modal_answer(words);
        if (auto* problem = std::get_if<std::string>(&answer)) return *problem;
        auto& queue = head == "warning"    ? script.warning
                      : head == "address"  ? script.address
                      : head == "password" ? script.password
                      : head == "confirm"  ? script.confirm
                                           : script.success;
        queue.push_back(std::get<ModalAnswer>(std::move(answer)));
        return std::nullopt;
    }
    if (head == "cancel") {
        // cancel SCREEN [opening K] after N
        const bool with_opening = words.size() == 6 && words[2] == "opening";
        if (!(words.size() == 4 || with_opening) || words[words.size() - 2] != "after")
            return std::string("expected: cancel SCREEN [opening K] after N");
        const auto template_id = progress_template(words[1]);
        const auto opening = with_opening ? number(words[3]) : std::optional<int>(1);
        const auto pump = number(words.back());
        if (!template_id || !opening || !pump || *opening < 1 || *pump < 1)
            return std::string("expected: cancel connecting|waiting|uploading [opening K] after N (K, N from 1)");
        script.cancels.push_back({*template_id, *opening, *pump});
        return std::nullopt;
    }
    if (head == "local-addresses") {
        std::vector<std::uint32_t> addresses;
        if (!(words.size() == 2 && words[1] == "none")) {
            for (std::size_t k = 1; k < words.size(); ++k) {
                std::uint32_t address = 0;
                if (app::parse_device_address(words[k], &address) != app::AddressCode::accepted)
                    return "not an IPv4 address: " + words[k];
                addresses.push_back(address);
            }
        }
        script.local_addresses = addresses;
        return std::nullopt;
    }
    if (head == "restart-wait-units" && words.size() == 2) {
        const auto units = number(words[1]);
        if (!units || *units < 0) return std::string("expected: restart-wait-units N");
        script.restart_wait_ms = tftp::restart_wait_ms_of_units(*units);
        return std::nullopt;
    }
    if ((head == "transfer-silence-floor-ms" || head == "reread-spacing-ms") && words.size() == 2) {
        const auto ms = number(words[1]);
        if (!ms || *ms < 0) return "expected: " + head + " N";
        (head == "reread-spacing-ms" ? script.reread_spacing_ms : script.transfer_silence_floor_ms) =
            static_cast<std::uint32_t>(*ms);
        return std::nullopt;
    }
    if (head == "transcript" && words.size() == 2 && words[1] == "every-block") {
        script.transcript_every_block = true;
        return std::nullopt;
    }
    if (head == "descriptors-run-out-after-confirm" && words.size() == 1) {
        script.descriptors_run_out_after_confirm = true;
        return std::nullopt;
    }
    return "unknown line: " + head;
}

}  // namespace

std::optional<std::vector<std::string>> split_words(std::string_view line)
{
    std::vector<std::string> words;
    std::size_t at = 0;
    while (true) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        if (at == line.size()) return words;
        std::string word;
        if (line[at] != '"') {
            while (at < line.size() && line[at] != ' ' && line[at] != '\t') word.push_back(line[at++]);
            words.push_back(std::move(word));
            continue;
        }
        ++at;
        while (true) {
            if (at >= line.size()) return std::nullopt;  // no closing quote
            const char c = line[at++];
            if (c == '"') break;
            if (c != '\\') {
                word.push_back(c);
                continue;
            }
            if (at >= line.size()) return std::nullopt;
            const char escaped = line[at++];
            switch (escaped) {
            case 'r':
                word.push_back('\r');
                break;
            case 'n':
                word.push_back('\n');
                break;
            case 't':
                word.push_back('\t');
                break;
            case '"':
                word.push_back('"');
                break;
            case '\\':
                word.push_back('\\');
                break;
            case 'x': {
                if (at + 2 > line.size() || hex_digit(line[at]) < 0 || hex_digit(line[at + 1]) < 0) return std::nullopt;
                word.push_back(static_cast<char>(hex_digit(line[at]) * 16 + hex_digit(line[at + 1])));
                at += 2;
                break;
            }
            default:
                return std::nullopt;
            }
        }
        words.push_back(std::move(word));
    }
}

std::variant<Script, std::string> parse_script(std::string_view text)
{
    Script script;
    int line_number = 0;
    while (!text.empty()) {
        ++line_number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const auto words = split_words(line);
        if (!words) return "line " + std::to_string(line_number) + ": unbalanced quote or bad escape";
        if (words->empty() || (*words)[0].front() == '#') continue;
        if (const auto problem = read_line(script, *words))
            return "line " + std::to_string(line_number) + ": " + *problem;
    }
    return script;
}

}  // namespace voq::ui::scripted
