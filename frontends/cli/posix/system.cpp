#include "frontends/cli/system.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

extern char** environ;

namespace voq::cli::system {

std::optional<std::uint32_t> netmask_of(std::uint32_t address)
{
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return std::nullopt;
    std::optional<std::uint32_t> found;
    for (const ifaddrs* each = list; each != nullptr; each = each->ifa_next) {
        if (each->ifa_addr == nullptr || each->ifa_netmask == nullptr || each->ifa_addr->sa_family != AF_INET) continue;
        const auto own = ntohl(reinterpret_cast<const sockaddr_in*>(each->ifa_addr)->sin_addr.s_addr);
        const auto mask = ntohl(reinterpret_cast<const sockaddr_in*>(each->ifa_netmask)->sin_addr.s_addr);
        if (own == address) {
            found = mask;
            break;
        }
        if ((own & mask) == (address & mask) && !found) found = mask;
    }
    ::freeifaddrs(list);
    return found;
}

std::optional<std::string> environment_text(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

std::string own_program_path()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

ChildResult run_child(const std::vector<std::string>& arguments, bool pass_errors)
{
    ChildResult result{-1, {}};
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) return result;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    if (!pass_errors) ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    const int spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    if (spawned != 0) {
        ::close(output[0]);
        return result;
    }
    char chunk[4096];
    while (true) {
        const ssize_t got = ::read(output[0], chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        if (result.output.size() < 1u << 20) result.output.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(output[0]);
    int raw = 0;
    while (::waitpid(child, &raw, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    return result;
}

}  // namespace voq::cli::system
