#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "record/facts.h"

namespace voq::platform {
class AppendFile;
}

namespace voq::ui {

inline constexpr std::size_t support_logs_kept = 20;

// The log of one run, for whoever supports the user: written line by line as the run
// goes, so that a run that is killed leaves what it reached. Built from the facts
// alone, which hold no secret. A log that cannot be written writes nothing and
// changes nothing else.
class SupportLog {
public:
    SupportLog();  // writes nothing
    ~SupportLog();
    SupportLog(SupportLog&&) noexcept;
    SupportLog& operator=(SupportLog&&) noexcept;

    // Appends to file; one it makes is the user's alone.
    static SupportLog to_file(const std::filesystem::path& file);
    // A new file in folder named by the start time, the folder made when missing, and
    // the oldest files removed so that support_logs_kept remain. Folder and file are
    // the user's alone.
    static SupportLog in_folder(const std::filesystem::path& folder);

    bool writing() const;
    std::filesystem::path path() const;

    // The first lines: which program, which version.
    void begin(std::string_view program, std::string_view version);
    void note(const record::Fact& fact);
    // A message box or a last screen, as the person saw it.
    void shown(std::string_view text);
    // The likely causes as the log's owner worked them out from more than the facts (what
    // this PC tells of itself, a request the owner gave up on): the log ends with these
    // rather than with its own, so that it says what the person was told.
    void set_likely_causes(std::vector<std::string> causes);

private:
    static SupportLog writing_to(platform::AppendFile file, const std::filesystem::path& path);

    struct State;
    std::unique_ptr<State> state_;
};

// "voq-upgrade-20261208-154224-123.log"; a second run in that millisecond takes
// "voq-upgrade-20261208-154224-123-2.log", and so on.
std::string support_log_name(std::chrono::system_clock::time_point start);
// "2026-12-08 15:42:24.123", UTC.
std::string log_time(std::chrono::system_clock::time_point when);
// Of the logs named in a folder, those to remove to make room for one more: the oldest
// by start time, and of one millisecond's the lowest suffix, none first.
std::vector<std::string> logs_to_remove(std::vector<std::string> names, std::size_t kept);

}  // namespace voq::ui
