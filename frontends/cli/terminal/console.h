#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace voq::cli {

// Where the program's words go. Messages to a person go to standard output (to
// standard error when standard output carries JSON); failures and the trace to
// standard error. Progress is one redrawn line on a terminal, a plain line every
// few seconds elsewhere, nothing when quiet. Callable from every thread.
class Console {
public:
    struct Settings {
        bool quiet = false;
        bool json = false;
        bool verbose = false;
        std::string trace_label;    // before every trace line: the device's address
        bool every_packet = false;  // -vv
        bool errors = true;         // false: a list's run without -v, whose list tells its errors
    };

    explicit Console(Settings settings);

    void say(std::string_view text);    // a person's text; "\r\n" may break its lines
    void error(std::string_view text);  // shown even when quiet, unless errors is false
    void trace(std::string_view line);  // only when verbose; timestamped
    // A new phase's line is shown at once; the same phase's, as often as the output
    // suits. progress_due says whether a line would be shown now, so that the screens,
    // which are pumped every millisecond, build one only then.
    bool progress_due(bool new_phase);
    void progress(const std::string& line, bool new_phase);
    void end_progress();
    // For a question: the progress line goes, the text stays on its line.
    void prompt(std::string_view text);
    // A line typed in answer to question (without echo for a password). Nothing at the
    // end of input or on a signal, and the question's line ended then, which no Enter did.
    std::optional<std::string> ask(std::string_view question, bool echo);

    bool verbose() const { return settings_.verbose; }
    bool every_packet() const { return settings_.verbose && settings_.every_packet; }
    bool json() const { return settings_.json; }

private:
    void clear_progress_locked();
    void write_locked(std::FILE* stream, std::string_view text);

    Settings settings_;
    std::FILE* human_;
    bool human_is_terminal_;
    std::mutex mutex_;
    std::size_t drawn_length_ = 0;  // of the progress line on the terminal
    std::uint32_t last_progress_ms_ = 0;
    bool any_progress_ = false;
};

// "2026-12-08 12:34:56.789", the wall clock in the local time zone.
std::string time_of_day();

// A progress line cut to fit a terminal of columns columns without wrapping (0: unknown, uncut).
std::string fit_to_columns(std::string line, std::size_t columns);

}  // namespace voq::cli
