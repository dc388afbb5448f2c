#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/clock.h"
#include "support/child_process.h"

#ifndef VOQ_E2E_RUNS
#define VOQ_E2E_RUNS "/tmp/voq-e2e-runs"
#endif

namespace voq::test {

// Where the running test leaves its runs' scripts and transcripts and the device's
// log: VOQ_E2E_RUNS/Suite.Test, emptied when the test starts, removed when it passes,
// kept when it fails.
inline std::filesystem::path folder_of(const ::testing::TestInfo& test)
{
    std::string name = std::string(test.test_suite_name()) + "." + test.name();
    std::replace(name.begin(), name.end(), '/', '_');
    return std::filesystem::path(VOQ_E2E_RUNS) / name;
}

inline std::filesystem::path running_test_folder()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path folder =
        test != nullptr ? folder_of(*test) : std::filesystem::path(VOQ_E2E_RUNS) / "outside";
    std::filesystem::create_directories(folder);
    return folder;
}

class KeepFailedRuns : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_of(test), ignored);
    }
    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        std::error_code ignored;
        if (!test.result()->Failed()) {
            std::filesystem::remove_all(folder_of(test), ignored);
        } else if (std::filesystem::exists(folder_of(test), ignored)) {
            std::printf("Kept for a look: %s\n", folder_of(test).c_str());
        }
    }
};

inline const bool failed_runs_kept = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new KeepFailedRuns);
    return true;
}();

// A log for the simulated device that writes into the running test's folder.
inline std::function<void(std::string_view)> device_log()
{
    struct Log {
        std::mutex mutex;
        std::ofstream file;
    };
    auto log = std::make_shared<Log>();
    log->file.open(running_test_folder() / "device.log", std::ios::app);
    return [log](std::string_view text) {
        const std::lock_guard<std::mutex> hold(log->mutex);
        log->file << text << (text.empty() || text.back() != '\n' ? "\n" : "") << std::flush;
    };
}

// A transcript line that shows text: `open 111 "VOQ@... Upgrade Successful!"`, say. The
// texts compared with come from the helpers the screens' contents come from (ui/views.h).
inline std::string shown(std::string_view line_start, std::string_view text)
{
    return std::string(line_start) + " \"" + std::string(text) + "\"";
}

// What one run of the scripted harness left behind.
struct HarnessRun {
    int status = -1;               // exit status; -1 when it did not exit normally
    bool hung = false;             // still running at the deadline, then killed
    std::uint32_t elapsed_ms = 0;  // from its start to its end
    std::vector<std::string> lines;
    std::string transcript_path;

    std::size_t count(const std::string& line) const
    {
        std::size_t found = 0;
        for (const std::string& each : lines) found += each == line ? 1 : 0;
        return found;
    }
    std::size_t count_prefix(const std::string& prefix) const
    {
        std::size_t found = 0;
        for (const std::string& each : lines) found += each.rfind(prefix, 0) == 0 ? 1 : 0;
        return found;
    }
    bool has(const std::string& line) const { return count(line) > 0; }

    // Whether expected appear in this order (other lines may stand between them);
    // otherwise the transcript's lines from the last one found on.
    ::testing::AssertionResult in_order(const std::vector<std::string>& expected) const
    {
        std::size_t next = 0, last_found = 0;
        for (std::size_t at = 0; at < lines.size(); ++at) {
            if (next < expected.size() && lines[at] == expected[next]) {
                ++next;
                last_found = at;
            }
        }
        if (next == expected.size()) return ::testing::AssertionSuccess();
        const std::size_t from = next == 0 ? 0 : last_found;
        return ::testing::AssertionFailure()
               << "missing, in this order: \"" << expected[next] << "\"\n"
               << (next == 0 ? "none of them was found; " : "after the last one found, ") << excerpt(from, from + 16);
    }

    // For a failure message: the transcript's last lines and where all of it is kept.
    std::string text() const { return excerpt(lines.size() > 16 ? lines.size() - 16 : 0, lines.size()); }

    std::string excerpt(std::size_t from, std::size_t to) const
    {
        to = std::min(to, lines.size());
        std::string said = "transcript lines " + std::to_string(from + 1) + "-" + std::to_string(to) + " of " +
                           std::to_string(lines.size()) + " (all in " + transcript_path + "):\n";
        for (std::size_t at = from; at < to; ++at)
            said += "  " + std::to_string(at + 1) + ": " + lines[at].substr(0, 200) + "\n";
        return said;
    }
};

// Runs program SCRIPT TRANSCRIPT with script as the script, waits at most deadline_ms.
// A launcher (wine, setpriv ...) may stand before the program. Script and transcript
// lie in handed_folder when one is given (one that the launcher's user can reach),
// the transcript copied back to the test's own folder afterwards.
inline HarnessRun run_harness(const std::string& program, const std::string& script, const std::string& name,
                              unsigned deadline_ms = 60000, const std::vector<std::string>& launcher = {},
                              const std::filesystem::path& handed_folder = {})
{
    static int runs = 0;
    const std::string run_name = name + "-" + std::to_string(++runs);
    const std::string base = ((handed_folder.empty() ? running_test_folder() : handed_folder) / run_name).string();
    const std::string script_path = base + ".script", transcript_path = base + ".transcript";
    std::ofstream(script_path) << script;

    HarnessRun run;
    run.transcript_path = transcript_path;
    std::vector<std::string> arguments{program, script_path, transcript_path};
    arguments.insert(arguments.begin(), launcher.begin(), launcher.end());
    const std::uint32_t started = platform::milliseconds();
    const Ending ending = run_by_deadline(arguments, deadline_ms);
    run.status = ending.status;
    run.hung = ending.hung;
    run.elapsed_ms = platform::milliseconds() - started;

    std::ifstream transcript(transcript_path);
    for (std::string line; std::getline(transcript, line);) run.lines.push_back(line);
    if (!handed_folder.empty()) {
        run.transcript_path = (running_test_folder() / (run_name + ".transcript")).string();
        std::error_code ignored;
        std::filesystem::copy_file(transcript_path, run.transcript_path,
                                   std::filesystem::copy_options::overwrite_existing, ignored);
    }
    return run;
}

}  // namespace voq::test
