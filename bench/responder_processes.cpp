#include "bench/responder_processes.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/lockstep_server.h"
#include "firmware/embedded.h"
#include "firmware/image.h"
#include "platform/child_process.h"
#include "platform/posix/spawn_attributes.h"
#include "ui/views.h"

extern char** environ;

namespace voq::bench {

namespace {

constexpr std::string_view bound_line = "bound\n";

bool read_all(int descriptor, char* into, std::size_t length)
{
    while (length > 0) {
        const ssize_t got = ::read(descriptor, into, length);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        into += got;
        length -= static_cast<std::size_t>(got);
    }
    return true;
}

void close_once(int& descriptor)
{
    if (descriptor >= 0) ::close(descriptor);
    descriptor = -1;
}

// Every end of every pipe closes on exec: a child that held another's input would
// keep that one alive after its input was closed.
bool spawn(const std::vector<std::string>& arguments, pid_t& id, int& to_child, int& from_child)
{
    int input[2], output[2];
    if (::pipe2(input, O_CLOEXEC) != 0) return false;
    if (::pipe2(output, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        return false;
    }
    posix_spawnattr_t attributes;
    platform::init_child_attributes(attributes);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int spawned = ::posix_spawn(&id, argv[0], &actions, &attributes, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
    ::close(input[0]);
    ::close(output[1]);
    if (spawned != 0) {
        id = -1;
        ::close(input[1]);
        ::close(output[0]);
        return false;
    }
    to_child = input[1];
    from_child = output[0];
    return true;
}

}  // namespace

int serve_responders(const char* address, const char* first_port, const char* count)
{
    in_addr parsed{};
    const long first = std::strtol(first_port, nullptr, 10), many = std::strtol(count, nullptr, 10);
    if (::inet_pton(AF_INET, address, &parsed) != 1 || first < 1 || many < 1 || first + many > 65536) {
        std::fprintf(stderr, "usage: voq-bench-fleet %s ADDRESS FIRST-PORT COUNT\n", responders_command.data());
        return 2;
    }
    const auto bytes = fw::embedded_image(fw::target_image_id);
    const std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
    std::vector<std::unique_ptr<LockstepServer>> responders;
    for (long i = 0; i < many; ++i) {
        const auto port = static_cast<std::uint16_t>(first + i);
        responders.push_back(std::make_unique<LockstepServer>(ntohl(parsed.s_addr), port));
        if (!responders.back()->started()) {
            std::fprintf(stderr, "voq-bench-fleet: cannot bind a lock-step responder to %s:%u\n", address, port);
            return 1;
        }
        responders.back()->serve(image);
    }
    std::fwrite(bound_line.data(), 1, bound_line.size(), stdout);
    std::fflush(stdout);
    char ignored[64];
    while (true) {
        const ssize_t got = ::read(STDIN_FILENO, ignored, sizeof ignored);
        // Nothing of the responders needs an orderly end, and theirs waits on a datagram
        // to their own address: whoever waits for this process must never wait on that.
        if (got == 0 || (got < 0 && errno != EINTR)) std::_Exit(0);
    }
}

ResponderProcesses::ResponderProcesses(std::uint32_t address, std::uint16_t first_port, unsigned count,
                                       unsigned processes)
{
    if (count == 0 || processes == 0 || processes > count) return;
    const std::string program = platform::own_program_path(), dotted = ui::dotted(address);
    // All are started before any is waited for, so that they start side by side.
    for (unsigned k = 0; k < processes; ++k) {
        const unsigned from = count * k / processes, to = count * (k + 1) / processes;
        Child& child = children_.emplace_back();
        if (!spawn({program, std::string(responders_command), dotted, std::to_string(first_port + from),
                    std::to_string(to - from)},
                   child.id, child.input, child.output)) {
            std::fprintf(stderr, "voq-bench-fleet: cannot start a process of lock-step responders\n");
            return;
        }
    }
    for (Child& child : children_) {
        char line[bound_line.size()];
        const bool bound =
            read_all(child.output, line, sizeof line) && std::string_view(line, sizeof line) == bound_line;
        close_once(child.output);
        if (!bound) return;
    }
    ready_ = true;
}

ResponderProcesses::~ResponderProcesses()
{
    for (Child& child : children_) {
        if (!ready_ && child.id > 0) ::kill(child.id, SIGKILL);
        close_once(child.input);
        close_once(child.output);
    }
    for (const Child& child : children_) {
        if (child.id <= 0) continue;
        int status = 0;
        while (::waitpid(child.id, &status, 0) < 0 && errno == EINTR) {}
    }
}

}  // namespace voq::bench
