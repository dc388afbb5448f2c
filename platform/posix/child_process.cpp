#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>

#include "platform/posix/spawn_attributes.h"

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
    init_child_attributes(attributes, settings.signal_to_pass ? POSIX_SPAWN_SETPGROUP : 0);
    ::posix_spawnattr_setpgroup(&attributes, 0);
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
    const auto pass_on = [&] {
        if (passed_on || !settings.signal_to_pass) return;
        if (const int signal = settings.signal_to_pass(); signal != 0) {
            ::kill(child, signal);
            passed_on = true;
        }
    };
    pollfd watched[2] = {{output[0], POLLIN, 0},
                         {settings.signal_to_pass ? settings.signal_descriptor : -1, POLLIN, 0}};
    // Without a descriptor to wake it, the wait looks for the signal now and then: a
    // signal breaks the poll only on the thread it lands on.
    const int wait_ms = settings.signal_to_pass && watched[1].fd < 0 ? signal_check_ms : -1;
    while (true) {
        pass_on();
        // Readable once is readable for good: watched any longer, it would never let the poll sleep.
        if (passed_on || watched[1].revents != 0) watched[1].fd = -1;
        // The child writes only at its end, so a blocking read would keep the signal from it.
        const int polled = ::poll(watched, 2, passed_on ? -1 : wait_ms);
        if (polled < 0 && errno != EINTR && errno != EAGAIN) break;
        if (polled <= 0 || watched[0].revents == 0) continue;
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


}  // namespace voq::platform
