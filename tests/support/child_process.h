#pragma once

#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/child_process.h"
#include "platform/clock.h"

extern char** environ;

namespace voq::test {

// A program the test starts and stops: ended with SIGTERM when the object goes.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& arguments)
    {
        std::vector<char*> argv;
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        if (::posix_spawnp(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess()
    {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }

    bool started() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

struct Ending {
    int status = -1;    // the exit status, -1 when it did not exit normally
    bool hung = false;  // still running deadline_ms after started, then killed
};

// Waits for child, started at started (platform::milliseconds()), for deadline_ms at most.
inline Ending reap_by_deadline(pid_t child, std::uint32_t started, unsigned deadline_ms)
{
    Ending ending;
    int raw = 0;
    while (::waitpid(child, &raw, WNOHANG) == 0) {
        if (platform::milliseconds() - started > deadline_ms) {
            ending.hung = true;
            ::kill(child, SIGKILL);
            ::waitpid(child, &raw, 0);
            return ending;
        }
        platform::sleep_milliseconds(5);
    }
    if (WIFEXITED(raw)) ending.status = WEXITSTATUS(raw);
    return ending;
}

struct CommandResult {
    int status;  // the exit status; 128 and the signal's number when a signal ended it; -1 when it never ran
    std::string output;
};

// Runs a shell command line and collects what it prints on standard output (its first
// MiB), standard input empty and standard error passed through.
inline CommandResult run_command(const std::string& command)
{
    platform::ChildSettings settings;
    settings.pass_errors = true;
    const platform::ChildRun run = platform::run_child({"/bin/sh", "-c", command}, settings);
    return {run.status, run.output};
}

// Where a started child's standard streams go: a file each (read, or written afresh),
// or when empty this process's own.
struct ChildStreams {
    std::string in, out, err;
};

// What a child's environment has that this process's has not, and what it lacks.
struct ChildEnvironment {
    std::vector<std::pair<std::string, std::string>> set;
    std::vector<std::string> unset;
};

// In a child just forked: becomes the program of arguments (found on PATH), which ends
// when the test does, even when the test dies first.
[[noreturn]] inline void become(const std::vector<std::string>& arguments, const ChildEnvironment& environment = {})
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    for (const std::string& name : environment.unset) ::unsetenv(name.c_str());
    for (const auto& [name, value] : environment.set) ::setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    if (!arguments.empty()) ::execvp(argv[0], argv.data());
    ::_exit(127);
}

// Starts the program of arguments with these streams; -1 when no child could be made.
inline pid_t start_child(const std::vector<std::string>& arguments, const ChildStreams& streams = {},
                         const ChildEnvironment& environment = {})
{
    const pid_t child = ::fork();
    if (child != 0) return child;
    const auto redirect = [](const std::string& path, int flags, int stream) {
        if (path.empty()) return;
        const int opened = ::open(path.c_str(), flags, 0600);
        if (opened < 0) ::_exit(127);
        ::dup2(opened, stream);
        ::close(opened);
    };
    redirect(streams.in, O_RDONLY, 0);
    redirect(streams.out, O_WRONLY | O_CREAT | O_TRUNC, 1);
    redirect(streams.err, O_WRONLY | O_CREAT | O_TRUNC, 2);
    become(arguments, environment);
}

// Runs the program of arguments to its end, or kills it deadline_ms after its start.
inline Ending run_by_deadline(const std::vector<std::string>& arguments, unsigned deadline_ms,
                              const ChildStreams& streams = {}, const ChildEnvironment& environment = {})
{
    const std::uint32_t started = platform::milliseconds();
    const pid_t child = start_child(arguments, streams, environment);
    if (child < 0) return {};
    return reap_by_deadline(child, started, deadline_ms);
}

}  // namespace voq::test
