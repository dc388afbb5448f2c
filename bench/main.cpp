// voq-bench: how long the tool takes to deliver an image, against tftpd-hpa and a
// bare lock-step responder on the same client, and what its waiting costs. Figures are printed as Markdown.
//
//   voq-bench transfers [--quick]           the transfers and the core's polling (any user)
//   voq-bench product --programs DIR        the Qt program's polling and peak memory; needs
//                                           ports 69 and 80 (root, or unshare -rn)
//
// --quick runs a few small fetches only: it shows that the benchmark works and
// measures nothing. Exit status 1 when a fetch was incomplete or altered.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "bench/machine.h"
#include "bench/product_report.h"
#include "bench/reference_server.h"
#include "bench/transfer_report.h"
#include "platform/clock.h"
#include "platform/socket.h"

namespace {

using namespace voq::bench;

// Loopback addresses of their own, away from the tests' pairs, and ports that need
// no privilege.
constexpr std::uint32_t tool_address = 0x7f00c801;              // 127.0.200.1
constexpr std::uint32_t client_address = 0x7f00c802;            // 127.0.200.2
constexpr std::uint32_t reference_address = 0x7f00c803;         // 127.0.200.3
constexpr std::uint32_t lockstep_address = 0x7f00c804;          // 127.0.200.4
constexpr std::uint32_t polling_lockstep_address = 0x7f00c805;  // 127.0.200.5
constexpr std::uint16_t server_port = 16969;

// tftpd-hpa answers once it listens; until then a fetch gets nothing.
bool wait_for_reference(const Servers& servers)
{
    const std::vector<std::uint8_t> probe(600, 0x33);
    if (!place_image(servers, probe)) return false;
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (timed_fetch(servers, Server::reference, probe).intact) return true;
        voq::platform::sleep_milliseconds(100);
    }
    return false;
}

int bench_transfers(bool quick)
{
    char directory[] = "/tmp/voq-bench-XXXXXX";
    if (::mkdtemp(directory) == nullptr) {
        std::perror("voq-bench: mkdtemp");
        return 1;
    }
    // tftpd-hpa started as root serves as "nobody", and only files anyone may read.
    ::chmod(directory, 0755);
    Servers servers;
    servers.client_address = client_address;
    servers.file_path = std::string(directory) + "/firmware.bin";
    ToolServer tool(tool_address, server_port, servers.file_path);
    if (!tool.started()) {
        std::fprintf(stderr, "voq-bench: cannot bind the tool's server to 127.0.200.1:%u\n", server_port);
        return 1;
    }
    servers.tool = &tool;
    LockstepServer lockstep(lockstep_address, server_port);
    if (!lockstep.started()) {
        std::fprintf(stderr, "voq-bench: cannot bind the lock-step responder to 127.0.200.4:%u\n", server_port);
        return 1;
    }
    servers.lockstep = &lockstep;
    servers.lockstep_address = lockstep_address;
    servers.lockstep_port = server_port;
    LockstepServer polling_lockstep(polling_lockstep_address, server_port, true);
    if (!polling_lockstep.started()) {
        std::fprintf(stderr, "voq-bench: cannot bind the polling lock-step responder to 127.0.200.5:%u\n", server_port);
        return 1;
    }
    servers.polling_lockstep = &polling_lockstep;
    servers.polling_lockstep_address = polling_lockstep_address;

    std::unique_ptr<ReferenceServer> reference;
    if (!reference_server_installed()) {
        std::fprintf(stderr, "voq-bench: %s is not installed (apt-get install tftpd-hpa): no comparison\n",
                     tftpd_hpa_program);
    } else if (!reference_server_can_serve()) {
        std::fprintf(stderr, "voq-bench: tftpd-hpa serves only when started by the machine's root: no comparison\n");
    } else {
        reference = std::make_unique<ReferenceServer>(reference_address, server_port);
        servers.reference_address = reference_address;
        servers.reference_port = server_port;
        servers.reference_process = reference->process_id();
        if (!reference->started() || !wait_for_reference(servers)) {
            std::fprintf(stderr, "voq-bench: tftpd-hpa did not serve on 127.0.200.3:%u\n", server_port);
            return 1;
        }
        if (!reference->running()) {
            std::fprintf(stderr,
                         "voq-bench: tftpd-hpa ended at once, yet something answers on 127.0.200.3:%u: another "
                         "server holds the port (one left by an earlier run?)\n",
                         server_port);
            return 1;
        }
    }

    std::printf("## Transfers\n\nTaken on: %s; %s build; %s.\n\n", machine_description().c_str(), VOQ_BUILD_TYPE,
                quick ? "quick run, the figures mean nothing" : "full run");
    const bool intact = report_transfers(servers, {quick, stdout});
    ::unlink(servers.file_path.c_str());
    ::rmdir(directory);
    return intact ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!voq::platform::start_socket_library()) return 1;
    const std::string part = argc > 1 ? argv[1] : "";
    const bool quick = argc > 2 && std::string(argv[2]) == "--quick";
    if (part == "transfers") return bench_transfers(quick);
    if (part == "product" && argc == 4 && std::string(argv[2]) == "--programs") return report_product(argv[3]) ? 0 : 1;
    std::fputs("usage: voq-bench transfers [--quick] | voq-bench product --programs BUILD_DIR\n", stderr);
    return 2;
}
