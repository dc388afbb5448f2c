#include "frontends/cli/terminal/console.h"

#include <chrono>
#include <ctime>

#include "platform/clock.h"
#include "platform/terminal.h"

namespace voq::cli {

namespace {

constexpr std::uint32_t redraw_interval_ms = 100;
constexpr std::uint32_t log_interval_ms = 5000;

// Texts of the screens break their lines with "\r\n"; a log wants "\n" alone.
std::string without_carriage_returns(std::string_view text)
{
    std::string kept;
    for (const char c : text)
        if (c != '\r') kept += c;
    return kept;
}

}  // namespace

std::string fit_to_columns(std::string line, std::size_t columns)
{
    // The last column is left free: a terminal that wraps at it would stack the lines.
    if (columns < 2 || line.size() < columns) return line;
    std::size_t cut = columns - 1;
    // Whole fields where they leave most of the room used: a rate cut to "1531 " reads as a count.
    const std::size_t field_end = line.rfind(", ", cut - 1);
    if (field_end != std::string::npos && field_end >= cut / 2) {
        line.resize(field_end);
        return line;
    }
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xc0) == 0x80) --cut;  // a whole UTF-8 character
    line.resize(cut);
    return line;
}

std::string time_of_day()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms));
    return text;
}

Console::Console(Settings settings)
    : settings_(std::move(settings)), human_(settings_.json ? stderr : stdout),
      human_is_terminal_(platform::terminal::is_terminal(human_))
{
}

void Console::clear_progress_locked()
{
    if (drawn_length_ == 0) return;
    std::fprintf(human_, "\r%*s\r", static_cast<int>(drawn_length_), "");
    std::fflush(human_);
    drawn_length_ = 0;
}

void Console::write_locked(std::FILE* stream, std::string_view text)
{
    clear_progress_locked();
    const std::string kept = without_carriage_returns(text);
    std::fwrite(kept.data(), 1, kept.size(), stream);
    if (kept.empty() || kept.back() != '\n') std::fputc('\n', stream);
    std::fflush(stream);
}

void Console::say(std::string_view text)
{
    if (settings_.quiet) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    write_locked(human_, text);
}

void Console::error(std::string_view text)
{
    if (!settings_.errors) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    write_locked(stderr, text);
}

void Console::trace(std::string_view line)
{
    if (!settings_.verbose) return;
    std::string text = time_of_day() + " ";
    if (!settings_.trace_label.empty()) text += settings_.trace_label + " ";
    text.append(line);
    const std::lock_guard<std::mutex> lock(mutex_);
    write_locked(stderr, text);
}

bool Console::progress_due(bool new_phase)
{
    if (settings_.quiet) return false;
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::uint32_t interval = human_is_terminal_ ? redraw_interval_ms : log_interval_ms;
    return new_phase || !any_progress_ || platform::milliseconds() - last_progress_ms_ >= interval;
}

void Console::progress(const std::string& line, bool new_phase)
{
    if (!progress_due(new_phase)) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    last_progress_ms_ = platform::milliseconds();
    any_progress_ = true;
    if (!human_is_terminal_) {
        write_locked(human_, line);
        return;
    }
    const std::size_t previous = drawn_length_;
    const std::string fitted = fit_to_columns(line, platform::terminal::columns(human_));
    std::fprintf(human_, "\r%s", fitted.c_str());
    if (previous > fitted.size())
        std::fprintf(human_, "%*s\r%s", static_cast<int>(previous - fitted.size()), "", fitted.c_str());
    std::fflush(human_);
    drawn_length_ = std::max(fitted.size(), std::size_t{1});
}

void Console::end_progress()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (drawn_length_ == 0) return;
    std::fputc('\n', human_);
    std::fflush(human_);
    drawn_length_ = 0;
}

void Console::prompt(std::string_view text)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    clear_progress_locked();
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

std::optional<std::string> Console::ask(std::string_view question, bool echo)
{
    auto answer = platform::terminal::read_line(echo, [&] { prompt(question); });
    if (!answer) {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
    return answer;
}

}  // namespace voq::cli
