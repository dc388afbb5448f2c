#include "bench/reference_server.h"

#include <csignal>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "ui/views.h"

extern char** environ;

namespace voq::bench {

bool reference_server_installed() { return ::access(tftpd_hpa_program, X_OK) == 0; }

bool reference_server_can_serve()
{
    if (::geteuid() != 0) return false;
    // The whole range of user ids mapped onto itself: the machine's own root.
    std::ifstream map("/proc/self/uid_map");
    unsigned long inside = 1, outside = 1, count = 0;
    map >> inside >> outside >> count;
    return inside == 0 && outside == 0 && count == 4294967295ul;
}

ReferenceServer::ReferenceServer(std::uint32_t address, std::uint16_t port)
{
    // In the foreground, so that it is our child; one forked child per transfer, as
    // it serves by default. Started as root it serves as "nobody".
    std::vector<std::string> arguments{tftpd_hpa_program, "--foreground", "--listen", "--address",
                                       ui::dotted(address) + ":" + std::to_string(port)};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
}

bool ReferenceServer::running()
{
    if (pid_ <= 0) return false;
    if (::waitpid(pid_, nullptr, WNOHANG) == 0) return true;
    pid_ = -1;  // reaped: the number may go to another process
    return false;
}

ReferenceServer::~ReferenceServer()
{
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
}

}  // namespace voq::bench
