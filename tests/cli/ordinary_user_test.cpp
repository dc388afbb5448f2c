// The program run by an ordinary user (nobody), without the capability to bind ports
// below 1024: the firmware is served from the unprivileged ports and the device
// follows the port its upgrade request names.

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli_fixture.h"
#include "support/child_process.h"
#include "support/files.h"
#include "support/ordinary_user.h"

namespace voq::test {
namespace {

namespace fs = std::filesystem;

TEST(CliOrdinaryUser, UpgradesThroughTheUnprivilegedPorts)
{
    if (!can_become_ordinary_user()) GTEST_SKIP() << "no other user to become here (run as root)";
    const OrdinaryUserFolder folder;
    ASSERT_TRUE(folder.made());
    const fs::path program = folder.hand(VOQ_CLI);
    ASSERT_FALSE(program.empty());

    sim::DeviceConfig config = quick_device();
    const LoopbackPair pair = loopback_pair();
    config.web.address = pair.device;
    sim::SimulatedDevice device(config);
    std::string problem;
    ASSERT_TRUE(device.start(problem)) << problem;
    const CommandResult run =
        run_command(as_ordinary_user_command() + program.string() +
                    " --yes --json --restart-wait 1.5 --local-address " + dotted(pair.pc) + " " + dotted(pair.device));

    EXPECT_EQ(run.status, 0) << run.output;
    const auto report = nlohmann::json::parse(run.output, nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.output;
    EXPECT_EQ(report["port"], 10069);
    ASSERT_EQ(device.web().upgrade_requests().size(), 1u);
    EXPECT_EQ(device.web().upgrade_requests()[0].port, 10069);
    ASSERT_EQ(device.fetches().size(), 1u);
    EXPECT_TRUE(device.fetches()[0].bytes == read_file_bytes(VOQ_TARGET_IMAGE_FILE));
}

}  // namespace
}  // namespace voq::test
