// The program run by an ordinary user (nobody), without the capability to bind ports
// below 1024: the firmware is served from the unprivileged ports and the device
// follows the port its upgrade request names.

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli_fixture.h"
#include "support/child_process.h"

namespace voq::test {
namespace {

namespace fs = std::filesystem;

TEST(CliOrdinaryUser, UpgradesThroughTheUnprivilegedPorts)
{
    const std::string as_nobody = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    // Becoming another user takes real root; a user namespace maps only its own.
    if (::geteuid() != 0 || run_command(as_nobody + " true").status != 0)
        GTEST_SKIP() << "no other user to become here (run as root)";
    std::string pattern = (fs::temp_directory_path() / "voq-cli-nobody-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern;
    fs::permissions(folder, fs::perms::all);
    const fs::path program = folder / "voq-upgrade-cli";
    fs::copy_file(VOQ_CLI, program);

    sim::DeviceConfig config = quick_device();
    config.web.address = loopback_pair(235).device;
    sim::SimulatedDevice device(config);
    std::string problem;
    ASSERT_TRUE(device.start(problem)) << problem;
    const CommandResult run = run_command(as_nobody + " " + program.string() +
                                          " --yes --json --restart-wait 1.5 --local-address 127.0.235.1 127.0.235.2");
    fs::remove_all(folder);

    EXPECT_EQ(run.status, 0) << run.output;
    const auto report = nlohmann::json::parse(run.output, nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.output;
    EXPECT_EQ(report["port"], 10069);
    ASSERT_EQ(device.web().upgrade_requests().size(), 1u);
    EXPECT_EQ(device.web().upgrade_requests()[0].port, 10069);
    ASSERT_EQ(device.fetches().size(), 1u);
    EXPECT_TRUE(device.fetches()[0].bytes == file_bytes(VOQ_TARGET_IMAGE_FILE));
}

}  // namespace
}  // namespace voq::test
