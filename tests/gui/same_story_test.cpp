// One faulty device, run through the command-line program and through the Linux
// program: the command line's JSON and the desktop's support log tell the same phases,
// counters and likely causes, since both read them from the one report of the run.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "autopilot_run.h"
#include "sim/device.h"
#include "support/files.h"
#include "support/loopback.h"

namespace voq::test {
namespace {

namespace fs = std::filesystem;

// What a support log tells of the run, each line without its time stamp.
struct Story {
    std::vector<std::string> phases;
    std::vector<std::string> causes;
    std::string transfer;  // its last line, "" without one
};

Story story_of_log(const std::string& log)
{
    constexpr std::size_t stamp = std::string_view("2026-12-08 15:42:24.123 ").size();
    Story story;
    bool in_causes = false;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const std::string text = line.size() > stamp ? line.substr(stamp) : "";
        if (text.starts_with("Phase: ")) story.phases.push_back(text.substr(7));
        if (text.starts_with("Transfer")) story.transfer = text;
        if (text.starts_with("Likely cause: ")) {
            story.causes.push_back(text.substr(14));
            in_causes = true;
        } else if (in_causes) {
            story.causes.back() += "\n" + text;  // a cause of several lines
        }
    }
    return story;
}

Story story_of_json(const nlohmann::json& run)
{
    Story story;
    for (const auto& phase : run["phases"]) story.phases.push_back(phase["phase"].get<std::string>());
    for (const auto& cause : run["likely_causes"]) story.causes.push_back(cause.get<std::string>());
    return story;
}

std::string only_file_in(const fs::path& folder)
{
    const auto first = fs::directory_iterator(folder);
    return first == fs::directory_iterator() ? std::string() : read_file(first->path());
}

TEST(SameStory, OneFaultyDeviceThroughTheCommandLineAndTheDesktop)
{
    const struct {
        const char* name;
        std::function<void(sim::DeviceConfig&)> fault;
    } faults[] = {
        {"busy", [](sim::DeviceConfig& c) { c.web.fault = sim::WebFault::busy_upgrade; }},
        {"never asks", [](sim::DeviceConfig& c) { c.tftp.faults.never_request = true; }},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.name);
        const LoopbackPair addresses = loopback_pair();
        sim::DeviceConfig config;
        config.web.address = addresses.device;
        fault.fault(config);
        sim::SimulatedDevice device(config);
        std::string problem;
        ASSERT_TRUE(device.start(problem)) << problem;
        const ScratchFolder folder("same-story");

        const fs::path cli_log = folder.path() / "cli.log";
        const CommandResult cli = run_command(std::string(VOQ_CLI) + " " + dotted(addresses.device) +
                                              " --yes --json --request-timeout 2 --local-address " +
                                              dotted(addresses.pc) + " --log " + cli_log.string());
        EXPECT_EQ(cli.status, 7) << cli.output;
        const std::string last = cli.output.substr(cli.output.rfind('\n', cli.output.size() - 2) + 1);
        const auto json = nlohmann::json::parse(last, nullptr, false);
        ASSERT_TRUE(json.is_object()) << cli.output;

        // The user waits a while for the device on its waiting screen, then gives up.
        const fs::path logs = folder.path() / "desktop";
        const CommandResult desktop = autopilot(
            "--shots " + (folder.path() / "shots").string() + " --address " + dotted(addresses.device) +
            " --local-address " + dotted(addresses.pc) + " --log-folder " + logs.string() +
            " --key-interval-ms 2000 --keys '139=Tab,Return 101=address,Return 103=Return 114=wait,Space message=Return'");
        EXPECT_EQ(desktop.status, 0) << desktop.output;

        const Story from_desktop = story_of_log(only_file_in(logs));
        const Story from_json = story_of_json(json);
        EXPECT_EQ(from_json.phases, from_desktop.phases);
        ASSERT_FALSE(from_json.causes.empty());
        EXPECT_EQ(from_json.causes, from_desktop.causes);
        EXPECT_EQ(story_of_log(read_file(cli_log)).causes, from_desktop.causes);
        // Nothing was asked for, so nothing went: no transfer in either.
        EXPECT_EQ(json["bytes"], 0);
        EXPECT_EQ(json["blocks"], 0);
        EXPECT_EQ(json["retransmissions"], 0);
        EXPECT_EQ(from_desktop.transfer, "");
    }
}

}  // namespace
}  // namespace voq::test
