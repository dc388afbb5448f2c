// The Windows console program, voq-upgrade-cli.exe, under wine against the simulated
// device: a whole upgrade of a protected device, its JSON report and exit status, a
// list of devices.

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
    const auto device = start_device(config);
    // Wine binds only to the machine's own addresses: the PC is 127.0.0.1.
    const CliRun run = run_cli(
        {"--local-address", "127.0.0.1", "--restart-wait", "1.5", "--yes", "--json", "--verbose", device_address()},
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

// The desktop program sends what is typed in the ANSI code page (1252 here), one
// encoder for both: a password with accented letters, read as UTF-8 from a file or the
// environment or as the page's own bytes from a file, reaches the device as those bytes;
// the euro sign is where the page and Latin-1 part.
TEST_F(WindowsCli, ANonAsciiPasswordGoesOutInTheAnsiCodePageWhereverItIsRead)
{
    sim::DeviceConfig config = quick_device();
    config.web.digest.enabled = true;
    config.web.digest.password = "p\xe4ssw\xf6rd\x80";  // 0x80: the euro sign, in 1252 and not in Latin-1
    config.web.digest.qop = "auth";
    const struct {
        const char* name;
        std::vector<std::string> options;
        Environment environment;
    } cases[] = {
        {"a UTF-8 file", {"--password-file", "Z:" + write_file("utf8", "p\xc3\xa4ssw\xc3\xb6rd\xe2\x82\xac\n")}, {}},
        {"a file in the code page", {"--password-file", "Z:" + write_file("ansi", "p\xe4ssw\xf6rd\x80\r\n")}, {}},
        {"the environment",
         {},
         {{{"VOQ_UPGRADE_PASSWORD", "p\xc3\xa4ssw\xc3\xb6rd\xe2\x82\xac"}, {"LC_ALL", "C.UTF-8"}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto device = start_device(config);
        std::vector<std::string> options{"--local-address", "127.0.0.1", "--restart-wait", "1.5", "--yes"};
        options.insert(options.end(), c.options.begin(), c.options.end());
        options.push_back(device_address());
        const CliRun run = run_cli(options, c.environment, 180000);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(device->fetches().size(), 1u) << run.err;
    }
}

TEST_F(WindowsCli, ANeverAskingDeviceEndsWithSevenAndTheWindowsFirewallCommand)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.never_request = true;
    const auto device = start_device(config);
    const CliRun run =
        run_cli({"--local-address", "127.0.0.1", "--yes", "--request-timeout", "2", device_address()}, {}, 180000);
    EXPECT_EQ(run.status, 7) << run.out << run.err;
    EXPECT_NE(run.err.find("Upgrade Failed: No Firmware Download Request From VOQ"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("netsh advfirewall firewall add rule"), std::string::npos) << run.err;
}

TEST_F(WindowsCli, AListIsUpgradedByAChildProcessForEachDevice)
{
    const auto device = start_device();
    // Wine shows the machine's root as drive Z:.
    const std::string list = "Z:" + write_file("devices", device_address() + "\n" + device_address(1) + "\n");
    const CliRun run =
        run_cli({"--devices", list, "--local-address", "127.0.0.1", "--restart-wait", "1.5", "--yes"}, {}, 180000);
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    ASSERT_EQ(device->fetches().size(), 1u) << run.out << run.err;
    EXPECT_TRUE(device->fetches()[0].bytes == target);
    EXPECT_NE(run.out.find(device_address() + "  upgraded     2.0.13(g)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(device_address(1) + "  no-response  -"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace voq::test
