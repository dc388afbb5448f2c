#include "frontends/cli/system.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "frontends/cli/port_holder.h"
#include "frontends/cli/terminal.h"

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

namespace {

// A file of /proc read whole, up to most bytes.
std::string proc_text(const std::filesystem::path& path, std::size_t most)
{
    std::ifstream in(path, std::ios::binary);
    std::string text;
    char chunk[4096];
    while (in && text.size() < most) {
        in.read(chunk, static_cast<std::streamsize>(std::min(sizeof chunk, most - text.size())));
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    return text;
}

}  // namespace

std::optional<std::string> udp_port_holder(std::uint32_t address, std::uint16_t port)
{
    const auto inode = cli::udp_socket_inode(proc_text("/proc/net/udp", 4u << 20), address, port);
    if (!inode) return std::nullopt;
    const std::string wanted = "socket:[" + std::to_string(*inode) + "]";
    std::error_code error;
    for (const auto& process : std::filesystem::directory_iterator("/proc", error)) {
        const std::string pid = process.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code unreadable;  // another user's process: skipped
        for (const auto& file : std::filesystem::directory_iterator(process.path() / "fd", unreadable)) {
            char target[64];
            const ssize_t length = ::readlink(file.path().c_str(), target, sizeof target);
            if (length <= 0 || std::string_view(target, static_cast<std::size_t>(length)) != wanted) continue;
            std::string name = proc_text(process.path() / "comm", 64);
            std::erase_if(name, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
            if (name.empty()) name = "a program";
            return name + " (process " + pid + ")";
        }
    }
    return std::nullopt;
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
    // A process group of its own: a Ctrl+C typed at the terminal reaches this process
    // alone, which passes it on once, rather than both at the same moment.
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
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
    if (!pass_errors) ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
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
    char chunk[4096];
    bool passed_on = false;
    while (true) {
        if (!passed_on && terminal::interrupting_signal() != 0) {
            ::kill(child, terminal::interrupting_signal());
            passed_on = true;
        }
        pollfd readable{output[0], POLLIN, 0};
        if (::poll(&readable, 1, 50) == 0) continue;
        const ssize_t got = ::read(output[0], chunk, sizeof chunk);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) break;
        if (result.output.size() < 1u << 20) result.output.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(output[0]);
    int raw = 0;
    while (::waitpid(child, &raw, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) result.status = 128 + WTERMSIG(raw);
    return result;
}

void end_with_parent(long parent)
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    // The parent may have ended before the line above: then no signal would come.
    if (static_cast<long>(::getppid()) != parent) std::_Exit(143);
}

long own_process_id() { return static_cast<long>(::getpid()); }

}  // namespace voq::cli::system
