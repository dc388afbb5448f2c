#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>

extern char** environ;

namespace voq::platform {

namespace {

constexpr std::size_t output_kept = 1u << 20;
constexpr int signal_check_ms = 50;

double seconds_of(const rusage& usage)
{
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

std::string own_program_path()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

ChildRun run_child(const std::vector<std::string>& arguments, const ChildSettings& settings)
{
    ChildRun result;
    if (arguments.empty()) return result;
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) return result;
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    if (settings.signal_to_pass) flags |= POSIX_SPAWN_SETPGROUP;
    ::posix_spawnattr_setflags(&attributes, flags);
    ::posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, signal);
    sigemptyset(&none);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    if (!settings.pass_errors) ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    const int spawned = ::posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
    ::close(output[1]);
    if (spawned != 0) {
        ::close(output[0]);
        return result;
    }
    if (settings.started) settings.started(static_cast<long>(child));
    char chunk[4096];
    bool passed_on = false;
    while (true) {
        if (!passed_on && settings.signal_to_pass) {
            if (const int signal = settings.signal_to_pass(); signal != 0) {
                ::kill(child, signal);
                passed_on = true;
            }
        }
        pollfd readable{output[0], POLLIN, 0};
        // A signal breaks the poll: back to the check above, since the child writes only
        // at its end and a blocking read would keep the signal from it.
        const int polled = ::poll(&readable, 1, signal_check_ms);
        if (polled < 0 && errno != EINTR && errno != EAGAIN) break;
        if (polled <= 0) continue;
        const ssize_t got = ::read(output[0], chunk, sizeof chunk);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) break;
        if (result.output.size() < output_kept) result.output.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(output[0]);
    int raw = 0;
    rusage usage{};
    while (::wait4(child, &raw, 0, &usage) < 0 && errno == EINTR) {}
    if (WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) result.status = 128 + WTERMSIG(raw);
    result.cpu_seconds = seconds_of(usage);
    return result;
}

void end_with_parent(long parent)
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    // The parent may have ended before the line above: then no signal would come.
    if (static_cast<long>(::getppid()) != parent) std::_Exit(143);
}

long own_process_id() { return static_cast<long>(::getpid()); }

}  // namespace voq::platform
