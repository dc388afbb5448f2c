// The Windows console program, voq-upgrade-cli.exe, under wine against the simulated
// device: a whole upgrade of a protected device, its JSON report and exit status, a
// list of devices. The cases take turns on one loopback pair, 228 (127.0.228.3: nobody).

#include <nlohmann/json.hpp>

#include "cli_fixture.h"

namespace voq::test {
namespace {

using WindowsCli = CliTest;

TEST_F(WindowsCli, UpgradesAProtectedDeviceByteForByte)
{
    sim::DeviceConfig config = quick_device();
    config.web.digest.enabled = true;
    config.web.digest.password = "wine-secret";
    config.web.digest.qop = "auth";
    const auto device = start_device(228, config);
    // Wine binds only to the machine's own addresses: the PC is 127.0.0.1.
    const CliRun run = run_cli({"--local-address", "127.0.0.1", "--restart-wait", "1.5", "--yes", "--json", "--verbose",
                                dotted(loopback_pair(228).device)},
                               {{{"VOQ_UPGRADE_PASSWORD", "wine-secret"}}}, 180000);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 0) << run.err;
    const auto fetches = device->fetches();
    ASSERT_EQ(fetches.size(), 1u) << run.err;
    EXPECT_TRUE(fetches[0].bytes == target) << "the image arrived changed";
    const auto report = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.out;
    EXPECT_EQ(report["outcome"], "upgraded");
    EXPECT_EQ(report["version_after"], "2.0.13(g)");
    EXPECT_EQ(report["bytes"], target.size());
    EXPECT_NE(run.err.find("response=\"(hidden)\""), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("wine-secret"), std::string::npos);
}

TEST_F(WindowsCli, ANeverAskingDeviceEndsWithSevenAndTheWindowsFirewallCommand)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.never_request = true;
    const auto device = start_device(228, config);
    const CliRun run = run_cli({"--local-address", "127.0.0.1", "--yes", "--request-timeout", "2",
                                dotted(loopback_pair(228).device)},
                               {}, 180000);
    EXPECT_EQ(run.status, 7) << run.out << run.err;
    EXPECT_NE(run.err.find("Upgrade Failed: No Firmware Download Request From VOQ"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("netsh advfirewall firewall add rule"), std::string::npos) << run.out;
}

TEST_F(WindowsCli, AListIsUpgradedByAChildProcessForEachDevice)
{
    const auto device = start_device(228);
    // Wine shows the machine's root as drive Z:.
    const std::string list = "Z:" + write_file("devices", dotted(loopback_pair(228).device) + "\n127.0.228.3\n");
    const CliRun run = run_cli({"--devices", list, "--local-address", "127.0.0.1", "--restart-wait", "1.5", "--yes"}, {},
                               180000);
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    ASSERT_EQ(device->fetches().size(), 1u) << run.out << run.err;
    EXPECT_TRUE(device->fetches()[0].bytes == target);
    EXPECT_NE(run.out.find("127.0.228.2  upgraded     2.0.13(g)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("127.0.228.3  no-response  -"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace voq::test
