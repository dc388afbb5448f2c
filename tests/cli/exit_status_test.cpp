// A run of voq-upgrade-cli for each way an upgrade ends, against the simulated
// device: the exit status, the message, and what reached the device.

#include <nlohmann/json.hpp>
#include <sys/socket.h>

#include "cli_fixture.h"
#include "platform/socket.h"
#include "platform/socket_address.h"

namespace voq::test {
namespace {

using Status = CliTest;

TEST_F(Status, UpgradedIsZeroWithTheImageByteForByteAndAJsonReport)
{
    const auto device = start_device();
    const CliRun run = run_cli(arguments({"--yes", "--json"}));
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 0) << run.err;

    const auto fetches = device->fetches();
    ASSERT_EQ(fetches.size(), 1u);
    EXPECT_TRUE(fetches[0].complete);
    EXPECT_TRUE(fetches[0].bytes == target) << "the image arrived changed";

    const auto report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["device"], device_address());
    EXPECT_EQ(report["pc_address"], pc());
    EXPECT_EQ(report["port"], 69);
    EXPECT_EQ(report["product"], "VOQ-3300");
    EXPECT_EQ(report["mac_address"], "00:0E:08:C0:FF:EE");
    EXPECT_EQ(report["serial_number"], "VQ3300A01234");
    EXPECT_EQ(report["version_before"], "2.0.12(SE)");
    EXPECT_EQ(report["version_after"], "2.0.13(g)");
    EXPECT_EQ(report["bytes"], target.size());
    EXPECT_GT(report["seconds"].get<double>(), 1.5);
    EXPECT_EQ(report["outcome"], "upgraded");
    EXPECT_EQ(report["status"], 0);
    EXPECT_EQ(report["message"], "VOQ@" + device_address() + " Upgrade Successful!");
    // The person's texts went to standard error, the warning and the five fields among them.
    EXPECT_NE(run.err.find("WARNING: Forcing a firmware upgrade"), std::string::npos);
    EXPECT_NE(run.err.find("Serial Number     VQ3300A01234"), std::string::npos);
}

TEST_F(Status, OutputWithoutATerminalHoldsNoControlCharacter)
{
    const auto device = start_device();
    const CliRun run = run_cli(arguments({"--yes", "--verbose"}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(holds_control_characters(run.out)) << run.out;
    EXPECT_FALSE(holds_control_characters(run.err));
    EXPECT_NE(run.out.find("Uploading Target Firmware to VOQ@" + device_address() + ": "), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Firmware version now running: 2.0.13(g)"), std::string::npos) << run.out;
}

TEST_F(Status, QuietPrintsNothingOnSuccess)
{
    const auto device = start_device();
    const CliRun run = run_cli(arguments({"--yes", "--quiet"}));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

// Each failure: its status, its message on standard error, and for 2, 7 and 8 the
// likely causes of its phase; the firewall commands and the subnet found from the
// netmask only where the device never asked for its firmware.
struct Failure {
    const char* name;
    bool device_runs;
    void (*configure)(sim::DeviceConfig&);
    std::vector<std::string> options;
    int status;
    std::string message;
    std::string first_cause;  // empty: none; DEVICE stands for the device's address
};

void PrintTo(const Failure& failure, std::ostream* out) { *out << failure.name; }

class FailureStatus : public CliTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(FailureStatus, EndsWithItsStatusAndMessage)
{
    const Failure& failure = GetParam();
    sim::DeviceConfig config = quick_device();
    if (failure.configure) failure.configure(config);
    std::unique_ptr<sim::SimulatedDevice> device;
    if (failure.device_runs) device = start_device(config);
    std::vector<std::string> options{"--yes", "--json"};
    options.insert(options.end(), failure.options.begin(), failure.options.end());
    const CliRun run = run_cli(arguments(options), {}, 90000);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, failure.status) << run.err;
    EXPECT_NE(run.err.find(failure.message + "\n"), std::string::npos) << run.err;
    const auto report = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.out;
    EXPECT_EQ(report["status"], failure.status);
    EXPECT_EQ(report["message"], failure.message);
    // The version the device reports is the one it runs, whether or not it was expected.
    if (failure.status == 6) {
        EXPECT_EQ(report["version_after"], "2.0.9");
    }
    if (failure.status == 5) {
        // A restart that is not to come is not waited for in words.
        EXPECT_EQ(run.err.find("waiting for the restart"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(": transfer stopped at "), std::string::npos) << run.err;
    }
    constexpr std::string_view causes_head = "Likely causes:\n  - ";
    const std::size_t causes = run.err.find(causes_head);
    EXPECT_EQ(causes != std::string::npos, !failure.first_cause.empty()) << run.err;
    if (causes != std::string::npos) {
        std::string first_cause = failure.first_cause;
        if (const std::size_t device = first_cause.find("DEVICE"); device != std::string::npos)
            first_cause.replace(device, 6, device_address());
        EXPECT_EQ(run.err.compare(causes + causes_head.size(), first_cause.size(), first_cause), 0) << run.err;
    }
    const bool firewall = run.err.find("sudo ufw allow proto udp from " + device_address()) != std::string::npos;
    EXPECT_EQ(firewall, failure.status == 7) << run.err;
    if (firewall) {
        EXPECT_NE(run.err.find("firewall-cmd --add-service=tftp"), std::string::npos);
        EXPECT_NE(run.err.find("netsh advfirewall firewall add rule"), std::string::npos);
        EXPECT_NE(run.err.find("are on the same subnet, 127.0.0.0/8 (netmask 255.0.0.0)"), std::string::npos)
            << run.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachOutcome, FailureStatus,
    ::testing::Values(
        Failure{"NoResponse",
                false,
                nullptr,
                {},
                2,
                "Upgrade Failed: No Response From VOQ",
                "Something at DEVICE refused the connection to port 80 (\"Connection refused\")"},
        Failure{
            "PasswordNotGiven",
            true,
            [](sim::DeviceConfig& c) {
                c.web.digest.enabled = true;
                c.web.digest.password = "s3cret";
            },
            {},
            3,
            "Upgrade Failed: VOQ requires a password (--password-file, VOQ_UPGRADE_PASSWORD, or a terminal to ask on)",
            ""},
        Failure{"UploadIncomplete",
                true,
                [](sim::DeviceConfig& c) { c.tftp.faults.silent_from_block = 700; },
                {},
                5,
                "Upgrade Failed: Firmware Upload Incomplete",
                ""},
        Failure{"VersionNotMatching",
                true,
                [](sim::DeviceConfig& c) { c.tftp.faults.reported_version = "2.0.9"; },
                {},
                6,
                "Upgrade Failed: Version not matching: expected \"2.0.13(g)\", VOQ reports \"2.0.9\"",
                ""},
        Failure{"TransitionImageNeededFirst",
                true,
                [](sim::DeviceConfig& c) {
                    c.web.identity.software_version = "2.0.11";
                    c.tftp.faults.reported_version = "2.0.9";
                },
                {},
                6,
                "Upgrade Failed: Version not matching: expected \"2.0.13(g)\", VOQ reports \"2.0.9\"",
                "The device ran 2.0.11 before the upgrade: a device that old needs the transition image first"},
        Failure{"NeverAsked",
                true,
                [](sim::DeviceConfig& c) { c.tftp.faults.never_request = true; },
                {"--request-timeout", "1"},
                7,
                "Upgrade Failed: No Firmware Download Request From VOQ",
                "A firewall on this PC"},
        Failure{"GoneAfterRestart",
                true,
                [](sim::DeviceConfig& c) { c.tftp.restart_ms = 120000; },
                {},
                8,
                "Upgrade Failed: No Response From VOQ",
                "The device may still be restarting"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Status, RefusedPasswordFromAFileIsNotSentAgain)
{
    sim::DeviceConfig config = quick_device();
    config.web.digest.enabled = true;
    config.web.digest.password = "s3cret";
    const auto device = start_device(config);
    const CliRun run = run_cli(arguments({"--yes", "--password-file", write_file("wrong", "guess\n")}));
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.err.find("Upgrade Failed: Password refused by VOQ\n"), std::string::npos) << run.err;
    std::size_t signed_requests = 0;
    for (const auto& request : device->web().requests()) signed_requests += request.authorization.empty() ? 0 : 1;
    EXPECT_EQ(signed_requests, 1u);
}

TEST_F(Status, TftpPortsAllTakenIsFour)
{
    const auto device = start_device();
    // Every port of 69 to 168 on the PC address held (the test runs with the privilege
    // to bind them, so the unprivileged range never comes into it).
    std::vector<platform::Socket> holders;
    for (std::uint16_t port = 69; port <= 168; ++port) {
        holders.emplace_back(platform::open_datagram_socket());
        ASSERT_EQ(platform::bind_socket(holders.back().handle(), platform::fill_socket_address(pair().pc, port)),
                  platform::BindResult::bound);
    }
    const CliRun run = run_cli(arguments({"--yes", "--verbose"}));
    EXPECT_EQ(run.status, 4) << run.err;
    EXPECT_NE(run.err.find("Upgrade Failed: Can't bind TFTP listener socket\n"), std::string::npos) << run.err;
    // The system's own reason, in the verbose trace; the program that holds port 69 (this
    // test) named, and the capability beside it unless the run is root's.
    EXPECT_NE(run.err.find(" tftp: bind " + pc() + ":69-168 failed: Address already in use\n"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("Likely causes:\n  - cli_run_tests (process " + std::to_string(::getpid()) +
                           ") holds UDP port 69 on " + pc()),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("CAP_NET_BIND_SERVICE") == std::string::npos, ::geteuid() == 0) << run.err;
    EXPECT_TRUE(device->web().upgrade_requests().empty());
}

TEST_F(Status, CtrlCWhileWaitingIs130)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.never_request = true;
    const auto device = start_device(config);
    const CliRun run = run_cli(arguments({"--yes"}), {}, 30000, "Waiting For Firmware Download Request From VOQ");
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_NE(run.err.find("Upgrade Failed: User Abort\n"), std::string::npos) << run.err;
}

// Bad input ends with 1 before anything reaches the device.
struct UsageCase {
    const char* name;
    std::vector<std::string> options;  // DEVICE and PC stand for the pair's addresses
    std::string said;
};

void PrintTo(const UsageCase& usage, std::ostream* out) { *out << usage.name; }

class UsageStatus : public CliTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(UsageStatus, IsOneAndNothingIsSent)
{
    const auto device = start_device();
    std::vector<std::string> options = GetParam().options;
    for (std::string& option : options) {
        if (option == "DEVICE") option = device_address();
        if (option == "PC") option = pc();
    }
    const CliRun run = run_cli(options);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(GetParam().said), std::string::npos) << run.err;
    EXPECT_TRUE(device->web().requests().empty());
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, UsageStatus,
    ::testing::Values(
        UsageCase{"AddressThatDoesNotParse", {"--yes", "127.0.222.256"}, "not an IPv4 address: 127.0.222.256"},
        UsageCase{"AddressTooShort", {"--yes", "127.0.240"}, "not an IPv4 address: 127.0.240"},
        UsageCase{"UnreadablePasswordFile",
                  {"--yes", "--password-file", "/nonexistent/password", "DEVICE"},
                  "cannot read the password file /nonexistent/password: No such file or directory"},
        UsageCase{"PasswordFileBelowAFile",
                  {"--yes", "--password-file", "/dev/null/password", "DEVICE"},
                  "cannot read the password file /dev/null/password: Not a directory"},
        UsageCase{"LocalAddressNotOfThisPc",
                  {"--yes", "--local-address", "192.0.2.7", "DEVICE"},
                  "--local-address 192.0.2.7: "},
        UsageCase{"NoDevice", {"--yes"}, "give a DEVICE-ADDRESS or --devices FILE"},
        UsageCase{
            "PasswordAsAnArgument",
            {"--yes", "DEVICE", "--password=x"},
            "--password: the password is never an argument, where every user of this PC could read it; use --password-file FILE"},
        UsageCase{"CheckAndIfNeeded",
                  {"--yes", "--check", "--if-needed", "DEVICE"},
                  "voq-upgrade-cli: --check and --if-needed cannot be given together\n"},
        UsageCase{
            "UserTwice", {"--user", "a", "--user", "b", "DEVICE"}, "voq-upgrade-cli: --user given more than once\n"},
        UsageCase{"UserWithoutAName", {"--yes", "DEVICE", "--user"}, "voq-upgrade-cli: --user needs a value: NAME\n"},
        UsageCase{"UnknownOption", {"--yes", "--frob", "DEVICE"}, "voq-upgrade-cli: no such option: --frob\n"},
        UsageCase{"RangeOverItsBound",
                  {"--check", "127.0.0.0/19", "DEVICE"},
                  "the ranges hold 8190 addresses, more than 4096; give --max-hosts to allow more"},
        UsageCase{"MoreHostsThanAnyRunMayHold",
                  {"--check", "--max-hosts", "65537", "127.0.0.0/8", "DEVICE"},
                  "not a number from 1 to 65536: 65537"},
        UsageCase{
            "NoParallelRuns", {"--yes", "--parallel", "0", "DEVICE"}, "--parallel: not a number from 1 to 1000: 0"},
        UsageCase{"NoTimeToConnect",
                  {"--check", "--connect-timeout", "0", "DEVICE"},
                  "--connect-timeout: not a number of seconds above 0: 0"},
        UsageCase{"NegativeTimeout", {"--yes", "--request-timeout", "-1", "DEVICE"}, "--request-timeout"},
        UsageCase{"NotConfirmedWithoutATerminal",
                  {"--local-address", "PC", "DEVICE"},
                  "Not upgraded: the warning was not accepted"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace voq::test
