#pragma once

#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

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
    int status;  // the exit status, -1 when it did not exit normally
    std::string output;
};

// Runs a shell command line and collects what it prints on standard output.
inline CommandResult run_command(const std::string& command)
{
    CommandResult result{-1, {}};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) result.output += chunk;
    const int raw = ::pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

}  // namespace voq::test
