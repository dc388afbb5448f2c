// A fleet past what one PC address can serve at once: the listener's hundred ports.

#include <algorithm>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli_fixture.h"
#include "frontends/cli/fleet/fleet.h"
#include "platform/clock.h"

namespace voq::test {
namespace {

using FleetBudget = CliTest;

// When each device was told to upgrade and when it was read after its restart: a run
// holds its port at least from the one to the other.
struct Spans {
    std::mutex mutex;
    std::map<unsigned, std::pair<std::uint32_t, std::uint32_t>> of;  // device: told, read again

    std::function<void(std::string_view)> log_of(unsigned device)
    {
        return [this, device](std::string_view line) {
            const bool answered = line.find(" -> 200") != std::string_view::npos;
            const std::lock_guard<std::mutex> hold(mutex);
            auto& span = of[device];
            if (answered && line.starts_with("GET /admin/upgrade?")) span.first = platform::milliseconds();
            if (answered && line.starts_with("GET /admin/advanced ") && span.first != 0)
                span.second = platform::milliseconds();
        };
    }

    // The most devices between their upgrade request and their last reading at one time.
    std::size_t most_at_once()
    {
        const std::lock_guard<std::mutex> hold(mutex);
        std::size_t most = 0;
        for (const auto& [device, span] : of) {
            std::size_t at_once = 0;
            for (const auto& [other, other_span] : of)
                at_once += other_span.first <= span.first && span.first <= other_span.second;
            most = std::max(most, at_once);
        }
        return most;
    }
};

TEST_F(FleetBudget, DevicesPastTheHundredPortsWaitTheirTurnAndAreUpgraded)
{
    constexpr unsigned devices = cli::most_runs_per_pc_address + 2;
    // One PC address; its devices at the pair's device address and up, in the pair's /24.
    const LoopbackPair& pair = this->pair();
    Spans spans;
    std::vector<std::unique_ptr<sim::SimulatedDevice>> fleet;
    std::string list;
    for (unsigned k = 0; k < devices; ++k) {
        sim::DeviceConfig config = quick_device();
        config.web.address = pair.device + k;
        config.web.log = spans.log_of(k);
        fleet.push_back(std::make_unique<sim::SimulatedDevice>(config));
        std::string problem;
        ASSERT_TRUE(fleet.back()->start(problem)) << problem;
        list += dotted(pair.device + k) + "\n";
    }
    const std::string file = write_file("budget-devices", list);

    // A hundred transfers and their simulators on two loaded cores can hold a device's own
    // restart back for over a second: a short restart wait would read it before it restarted.
    const CliRun run = run_cli({"--devices", file, "--parallel", std::to_string(devices), "--yes", "--json",
                                "--local-address", dotted(pair.pc), "--restart-wait", "5"},
                               {}, 240000);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 0) << run.err;

    std::map<std::string, std::string> outcomes;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        const auto object = nlohmann::json::parse(line, nullptr, false);
        ASSERT_TRUE(object.is_object()) << line;
        if (!object.contains("summary"))
            outcomes[object["device"].get<std::string>()] = object["outcome"].get<std::string>();
    }
    EXPECT_EQ(outcomes.size(), devices);
    for (const auto& [device, outcome] : outcomes) EXPECT_EQ(outcome, "upgraded") << device;
    for (unsigned k = 0; k < devices; ++k) {
        const auto fetches = fleet[k]->fetches();
        ASSERT_EQ(fetches.size(), 1u) << dotted(pair.device + k);
        EXPECT_TRUE(fetches[0].complete && fetches[0].bytes == target) << dotted(pair.device + k);
    }
    EXPECT_LE(spans.most_at_once(), cli::most_runs_per_pc_address);
}

}  // namespace
}  // namespace voq::test
