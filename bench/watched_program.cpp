#include "bench/watched_program.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/clock.h"

extern char** environ;

namespace voq::bench {

WatchedProgram::WatchedProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& environment)
{
    int pipe_ends[2];
    if (::pipe2(pipe_ends, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<std::string> owned_arguments = arguments;
    std::vector<char*> argv;
    for (std::string& argument : owned_arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> owned_environment = environment;
    std::vector<char*> envp;
    for (char** entry = environ; *entry != nullptr; ++entry) envp.push_back(*entry);
    for (std::string& entry : owned_environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_ends[1]);
    output_ = pipe_ends[0];
}

WatchedProgram::~WatchedProgram()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) ::close(output_);
}

bool WatchedProgram::wait_for_line(const std::string& text, unsigned timeout_ms)
{
    const std::uint32_t start = platform::milliseconds();
    while (true) {
        for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
            const std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (line.find(text) != std::string::npos) return true;
        }
        const std::uint32_t waited = platform::milliseconds() - start;
        if (waited >= timeout_ms || output_ < 0) return false;
        pollfd readable{output_, POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(timeout_ms - waited)) <= 0) return false;
        char chunk[512];
        const ssize_t got = ::read(output_, chunk, sizeof chunk);
        if (got <= 0) return false;
        pending_.append(chunk, static_cast<std::size_t>(got));
    }
}

namespace {

double cpu_milliseconds_in(const std::string& stat_path)
{
    std::ifstream stat(stat_path);
    std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The command name in parentheses may hold blanks: count fields after the last ')'.
    const auto name_end = all.rfind(')');
    if (name_end == std::string::npos) return 0;
    std::istringstream fields(all.substr(name_end + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int number = 3; fields >> field; ++number) {
        if (number == 14) user = std::stoull(field);
        if (number == 15) {
            system = std::stoull(field);
            break;
        }
    }
    return static_cast<double>(user + system) * 1e3 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

}  // namespace

double WatchedProgram::cpu_milliseconds() const
{
    return cpu_milliseconds_in("/proc/" + std::to_string(pid_) + "/stat");
}

double WatchedProgram::first_thread_cpu_milliseconds() const
{
    return cpu_milliseconds_in("/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_) + "/stat");
}

WatchedProgram::Ending WatchedProgram::finish(unsigned timeout_ms)
{
    Ending ending;
    if (pid_ <= 0) return ending;
    const std::uint32_t start = platform::milliseconds();
    int status = 0;
    rusage usage{};
    pid_t ended = 0;
    while ((ended = ::wait4(pid_, &status, WNOHANG, &usage)) == 0 && platform::milliseconds() - start < timeout_ms)
        platform::sleep_milliseconds(20);
    if (ended == 0) {
        ::kill(pid_, SIGKILL);
        ::wait4(pid_, &status, 0, &usage);
    } else {
        ending.exited = WIFEXITED(status);
        ending.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ending.peak_kib = usage.ru_maxrss;
    pid_ = -1;
    return ending;
}

}  // namespace voq::bench
