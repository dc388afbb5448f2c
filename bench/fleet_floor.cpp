#include "bench/fleet_floor.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <latch>
#include <memory>
#include <optional>
#include <thread>

#include "bench/client_at_once.h"
#include "bench/lockstep_server.h"
#include "bench/responder_processes.h"
#include "sim/tftp_client.h"
#include "ui/views.h"

namespace voq::bench {

namespace {

// Above the devices' own ports, below the ephemeral ones.
constexpr std::uint16_t first_responder_port = 20000;

}  // namespace

FloorRun best_case_transfers(unsigned count, Responders where, std::uint32_t server_address,
                             const std::function<std::uint32_t(unsigned)>& client_address,
                             const std::vector<std::uint8_t>& image)
{
    FloorRun run;
    std::optional<ResponderProcesses> processes;
    if (where != Responders::clients_process) {
        processes.emplace(server_address, first_responder_port, count, where == Responders::apart ? 1 : count);
        if (!processes->ready()) return run;
    }
    std::vector<std::unique_ptr<LockstepServer>> responders;
    for (unsigned i = 0; !processes && i < count; ++i) {
        responders.push_back(
            std::make_unique<LockstepServer>(server_address, static_cast<std::uint16_t>(first_responder_port + i)));
        if (!responders.back()->started()) {
            std::fprintf(stderr, "voq-bench-fleet: cannot bind a lock-step responder to %s:%u\n",
                         ui::dotted(server_address).c_str(), first_responder_port + i);
            return run;
        }
        responders.back()->serve(image);
    }

    // Every client ready before the clock starts: starting two hundred threads is not
    // the transfers' time.
    std::latch ready(static_cast<std::ptrdiff_t>(count) + 1);
    std::atomic<bool> go{false};
    std::atomic<unsigned> intact{0};
    const std::atomic<bool> stop{false};
    std::vector<std::thread> clients;
    for (unsigned i = 0; i < count; ++i) {
        clients.emplace_back([&, i] {
            const sim::UpgradeRequest request{server_address, static_cast<std::uint16_t>(first_responder_port + i),
                                              "firmware.bin"};
            ready.count_down();
            go.wait(false);
            const sim::Fetch fetch =
                sim::fetch_firmware(client_address(i), request, client_at_once(), stop, [](std::string_view) {});
            if (fetch.complete && fetch.bytes == image) ++intact;
        });
    }
    ready.arrive_and_wait();
    const auto start = std::chrono::steady_clock::now();
    go = true;
    go.notify_all();
    for (std::thread& client : clients) client.join();
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.intact = intact.load();
    run.measured = true;
    return run;
}

}  // namespace voq::bench
