#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/prctl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/clock.h"

namespace voq::test {

// What one run of the scripted harness left behind.
struct HarnessRun {
    int status = -1;   // exit status; -1 when it did not exit normally
    bool hung = false;  // still running at the deadline, then killed
    std::uint32_t elapsed_ms = 0;  // from its start to its end
    std::vector<std::string> lines;

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

    // Whether expected appear in this order (other lines may stand between them).
    ::testing::AssertionResult in_order(const std::vector<std::string>& expected) const
    {
        std::size_t next = 0;
        for (const std::string& line : lines) {
            if (next < expected.size() && line == expected[next]) ++next;
        }
        if (next == expected.size()) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "missing, in this order: \"" << expected[next] << "\"";
    }

    std::string text() const
    {
        std::string all;
        for (const std::string& line : lines) all += line.substr(0, 200) + "\n";
        return all;
    }
};

// Runs program SCRIPT TRANSCRIPT with script as the script, waits at most deadline_ms.
// A launcher (wine) may stand before the program.
inline HarnessRun run_harness(const std::string& program, const std::string& script, const std::string& name,
                              unsigned deadline_ms = 60000, const std::string& launcher = "")
{
    const std::string base = "/tmp/voq-e2e-" + name + "-" + std::to_string(::getpid());
    const std::string script_path = base + ".script", transcript_path = base + ".transcript";
    std::ofstream(script_path) << script;

    HarnessRun run;
    std::vector<std::string> arguments{program, script_path, transcript_path};
    if (!launcher.empty()) arguments.insert(arguments.begin(), launcher);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    // The harness goes when the test does, even when the test dies first.
    const pid_t child = ::fork();
    if (child < 0) return run;
    if (child == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }

    const std::uint32_t started = platform::milliseconds();
    int raw = 0;
    while (::waitpid(child, &raw, WNOHANG) == 0) {
        if (platform::milliseconds() - started > deadline_ms) {
            run.hung = true;
            ::kill(child, SIGKILL);
            ::waitpid(child, &raw, 0);
            break;
        }
        platform::sleep_milliseconds(5);
    }
    if (!run.hung && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
    run.elapsed_ms = platform::milliseconds() - started;

    std::ifstream transcript(transcript_path);
    for (std::string line; std::getline(transcript, line);) run.lines.push_back(line);
    std::remove(script_path.c_str());
    std::remove(transcript_path.c_str());
    return run;
}

}  // namespace voq::test
