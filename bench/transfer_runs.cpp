#include "bench/transfer_runs.h"

#include <chrono>
#include <fstream>
#include <sched.h>

#include "bench/client_at_once.h"
#include "firmware/image.h"
#include "platform/clock.h"

namespace voq::bench {

bool place_image(const Servers& servers, const std::vector<std::uint8_t>& image)
{
    std::ofstream file(servers.file_path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    return static_cast<bool>(file);
}

sim::Fetch fetch_at_once(const Servers& servers, const sim::UpgradeRequest& request, bool follow_new_port)
{
    const std::atomic<bool> stop{false};
    return sim::fetch_firmware(servers.client_address, request, client_at_once(follow_new_port), stop,
                               [](std::string_view) {});
}

void place_servers(const Servers& servers, Placement placement)
{
    place(placement, {servers.tool->thread_id(), servers.lockstep->thread_id(),
                      servers.polling_lockstep ? servers.polling_lockstep->thread_id() : 0, servers.reference_process});
}

TimedFetch timed_fetch(const Servers& servers, Server server, const std::vector<std::uint8_t>& image)
{
    sim::UpgradeRequest request{servers.reference_address, servers.reference_port, servers.file_path};
    // The image is used in place, as the embedded one is.
    const fw::FirmwareImage served{{image.data(), image.size()}, static_cast<std::uint32_t>(image.size()), {}};
    if (server == Server::tool) {
        request.address = servers.tool->address();
        request.port = servers.tool->port();
        servers.tool->deliver(served);
    } else if (server == Server::lockstep) {
        request.address = servers.lockstep_address;
        request.port = servers.lockstep_port;
        servers.lockstep->serve(image);
    } else if (server == Server::polling_lockstep) {
        request.address = servers.polling_lockstep_address;
        request.port = servers.lockstep_port;
        servers.polling_lockstep->serve(image);
    }
    const auto start = std::chrono::steady_clock::now();
    const sim::Fetch fetch = fetch_at_once(servers, request, server == Server::reference);
    const auto end = std::chrono::steady_clock::now();
    const int client_cpu = ::sched_getcpu();
    // A transfer that went wrong gives up after its silence floor; a request that went
    // unanswered has its image withdrawn before the image goes (the bench stops at the
    // first fetch that is not intact).
    const bool request_answered = fetch.complete || !fetch.option_acknowledgement.empty();
    tftp::Outcome outcome = tftp::Outcome::complete;
    if (server == Server::tool && request_answered) outcome = servers.tool->wait_delivered();
    if (server == Server::tool && !request_answered) servers.tool->withdraw();

    TimedFetch timed;
    timed.milliseconds = std::chrono::duration<double, std::milli>(end - start).count();
    timed.intact = fetch.complete && fetch.bytes == image && outcome == tftp::Outcome::complete;
    int server_cpu = -1;
    if (server == Server::tool) server_cpu = servers.tool->last_cpu();
    if (server == Server::lockstep) server_cpu = servers.lockstep->last_cpu();
    if (server == Server::polling_lockstep) server_cpu = servers.polling_lockstep->last_cpu();
    if (server_cpu >= 0 && client_cpu >= 0) timed.ended_apart = server_cpu != client_cpu;
    return timed;
}

}  // namespace voq::bench
