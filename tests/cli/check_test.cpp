// --check reads and sends nothing else; --if-needed upgrades only an older device;
// against simulated devices that report the versions of each case.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "cli_fixture.h"
#include "json_schema.h"

namespace voq::test {
namespace {

using CheckMode = CliTest;
using IfNeeded = CliTest;

nlohmann::json last_object(const std::string& out)
{
    const std::size_t start = out.rfind('\n', out.size() >= 2 ? out.size() - 2 : 0);
    return nlohmann::json::parse(out.substr(start == std::string::npos ? 0 : start + 1), nullptr, false);
}

TEST_F(CheckMode, ReportsEachVersionAndSendsNoUpgradeRequest)
{
    const auto device = start_device();
    const struct {
        std::string version;
        std::string outcome;
        int status;
        bool transition_first;
    } cases[] = {
        {"2.0.13(g)", "current", 0, false},    {"2.0.13", "outdated", 10, false},  // the check after it would refuse
        {"2.0.12(SE)", "outdated", 10, false}, {"2.0.11", "outdated", 10, true},
        {"9.9.9(NT)", "outdated", 10, true},   {"2.0.14", "newer", 10, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        device->web().set_software_version(c.version);
        const CliRun run = run_cli(arguments({"--check", "--json"}));
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        const auto object = last_object(run.out);
        ASSERT_TRUE(object.is_object()) << run.out;
        EXPECT_TRUE(schema_problems(program_schema(), object).empty()) << object.dump();
        EXPECT_EQ(object["outcome"], c.outcome);
        EXPECT_EQ(object["status"], c.status);
        EXPECT_EQ(object["version_before"], c.version);
        EXPECT_EQ(object["transition_first"], c.transition_first);
        EXPECT_EQ(object["product"], "VOQ-3300");
        EXPECT_EQ(object["mac_address"], "00:0E:08:C0:FF:EE");
        EXPECT_EQ(object["serial_number"], "VQ3300A01234");
        EXPECT_TRUE(object["port"].is_null());
    }
    EXPECT_TRUE(device->web().upgrade_requests().empty());
    EXPECT_TRUE(device->fetches().empty());
    for (const auto& request : device->web().requests()) EXPECT_EQ(request.path, "/admin/advanced");
}

// Another web server, an error status, a challenge this program cannot answer: no
// version, so neither current nor outdated, and nothing is sent to it.
TEST_F(CheckMode, APageWithoutAVersionIsUnreadableAndSentNothing)
{
    const struct {
        std::string name;
        sim::WebFault fault;
        std::string version;
        std::string option;
        std::string message;
    } cases[] = {
        {"404", sim::WebFault::error_status, "2.0.12(SE)", "--check",
         "Unreadable: the device could not be read: its status page answered 404 and gave no version"},
        {"Basic", sim::WebFault::basic_challenge, "2.0.12(SE)", "--check",
         "Unreadable: the device could not be read: its status page answered 401 and gave no version"},
        {"no version", sim::WebFault::none, "", "--if-needed",
         "Not upgraded: the device could not be read: its status page answered 200 and gave no version"},
        {"404", sim::WebFault::error_status, "2.0.12(SE)", "--if-needed",
         "Not upgraded: the device could not be read: its status page answered 404 and gave no version"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " " + c.option);
        sim::DeviceConfig config = quick_device();
        config.web.fault = c.fault;
        config.web.identity.software_version = c.version;
        const auto device = start_device(config);
        const CliRun run = run_cli(arguments({c.option, "--yes", "--json"}));
        EXPECT_EQ(run.status, 11) << run.out << run.err;
        const auto object = last_object(run.out);
        EXPECT_TRUE(schema_problems(program_schema(), object).empty()) << object.dump();
        EXPECT_EQ(object["outcome"], "unreadable");
        EXPECT_EQ(object["message"], c.message);
        EXPECT_TRUE(device->web().upgrade_requests().empty());
    }
}

TEST_F(CheckMode, SaysItInWordsWithoutTheWarning)
{
    const auto device = start_device();
    const CliRun run = run_cli(arguments({"--check"}));
    EXPECT_EQ(run.status, 10) << run.out << run.err;
    EXPECT_NE(run.out.find("Status of VOQ@" + device_address() + "\n  Product Name      VOQ-3300\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Outdated: the device runs 2.0.12(SE), older than the tool's firmware 2.0.13(g); it would "
                           "be upgraded directly\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("Confirm Upgrade"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Upgrade?"), std::string::npos) << "nothing to confirm: " << run.out;
    EXPECT_TRUE(device->web().upgrade_requests().empty());
}

TEST_F(CheckMode, SignsItsReadingAndReportsFailuresAsAnUpgradeWould)
{
    sim::DeviceConfig locked = quick_device();
    locked.web.digest.enabled = true;
    locked.web.digest.password = "right";
    const auto device = start_device(locked);
    const struct {
        std::string name;
        std::vector<std::pair<std::string, std::string>> environment;
        int status;
        std::string outcome;
    } cases[] = {
        {"the right password", {{"VOQ_UPGRADE_PASSWORD", "right"}}, 10, "outdated"},
        {"a wrong one", {{"VOQ_UPGRADE_PASSWORD", "wrong"}}, 3, "password"},
        {"none", {}, 3, "password"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = run_cli(arguments({"--check", "--json"}), {c.environment});
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        EXPECT_EQ(last_object(run.out)["outcome"], c.outcome) << run.out;
    }
    EXPECT_TRUE(device->web().upgrade_requests().empty());
}

// Every UDP port the listener could take, on this PC address, held for the test.
class HeldPorts {
public:
    explicit HeldPorts(std::uint32_t address)
    {
        for (const unsigned first : {69u, 10069u})
            for (unsigned port = first; port < first + 100; ++port) {
                const int held = ::socket(AF_INET, SOCK_DGRAM, 0);
                sockaddr_in at{};
                at.sin_family = AF_INET;
                at.sin_port = htons(static_cast<std::uint16_t>(port));
                at.sin_addr.s_addr = htonl(address);
                if (::bind(held, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) ++unbound_;
                sockets_.push_back(held);
            }
    }
    ~HeldPorts()
    {
        for (const int held : sockets_) ::close(held);
    }
    HeldPorts(const HeldPorts&) = delete;
    HeldPorts& operator=(const HeldPorts&) = delete;
    unsigned unbound() const { return unbound_; }

private:
    std::vector<int> sockets_;
    unsigned unbound_ = 0;
};

// A check binds no TFTP port: with every one of them taken it still reads the device,
// where an upgrade cannot even start.
TEST_F(CheckMode, BindsNoTftpPort)
{
    const auto device = start_device();
    device->web().set_software_version("2.0.13(g)");
    const HeldPorts held(pair().pc);
    ASSERT_EQ(held.unbound(), 0u);
    const CliRun check = run_cli(arguments({"--check", "--json"}));
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_EQ(last_object(check.out)["outcome"], "current");
    const CliRun upgrade = run_cli(arguments({"--yes", "--json"}));
    EXPECT_EQ(upgrade.status, 4) << "the ports are held indeed: " << upgrade.out << upgrade.err;
}

// A staged build loads the transition image and decides with it; the answers are the same.
TEST_F(CheckMode, AStagedBuildAnswersAlike)
{
    const auto device = start_device();
    const struct {
        std::string version;
        std::vector<std::string> options;
        int status;
        std::string outcome;
    } cases[] = {
        {"2.0.11", {"--check", "--json"}, 10, "outdated"},
        {"2.0.13(g)", {"--check", "--json"}, 0, "current"},
        {"2.0.13(g)", {"--if-needed", "--yes", "--json"}, 0, "current"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version + " " + c.options[0]);
        device->web().set_software_version(c.version);
        const CliRun run = run_cli(arguments(c.options), {}, 60000, "", VOQ_CLI_STAGED);
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        const auto object = last_object(run.out);
        EXPECT_EQ(object["outcome"], c.outcome) << run.out;
        EXPECT_EQ(object["transition_first"], c.version == "2.0.11");
    }
    EXPECT_TRUE(device->web().upgrade_requests().empty());
}

TEST_F(IfNeeded, UpgradesOnlyAnOlderDevice)
{
    const auto device = start_device();
    const struct {
        std::string version;
        std::string outcome;
        std::string message;
        std::size_t upgrade_requests;  // so far
    } cases[] = {
        {"2.0.13(g)", "current",
         "Not upgraded: the device runs 2.0.13(g), the version of the tool's firmware 2.0.13(g)", 0},
        {"2.0.14", "newer", "Not upgraded: the device runs 2.0.14, later than the tool's firmware 2.0.13(g)", 0},
        {"2.0.12(SE)", "upgraded", "VOQ@" + device_address() + " Upgrade Successful!", 1},
        {"", "current", "Not upgraded: the device runs 2.0.13(g), the version of the tool's firmware 2.0.13(g)", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outcome + " " + c.version);
        // An empty version: as the last upgrade left it.
        if (!c.version.empty()) device->web().set_software_version(c.version);
        const CliRun run = run_cli(arguments({"--if-needed", "--yes", "--json"}));
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        const auto object = last_object(run.out);
        EXPECT_EQ(object["outcome"], c.outcome) << run.out;
        EXPECT_EQ(object["message"], c.message);
        EXPECT_EQ(device->web().upgrade_requests().size(), c.upgrade_requests);
    }
    ASSERT_EQ(device->fetches().size(), 1u);
    EXPECT_TRUE(device->fetches()[0].bytes == target);
}

TEST_F(IfNeeded, WithoutItACurrentDeviceIsUpgradedAsBefore)
{
    const auto device = start_device();
    device->web().set_software_version("2.0.13(g)");
    const CliRun run = run_cli(arguments({"--yes", "--json"}));
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(last_object(run.out)["outcome"], "upgraded");
    EXPECT_EQ(device->web().upgrade_requests().size(), 1u);
}

TEST_F(CheckMode, AListEndsWithItsFirstFailureElseTenElseZero)
{
    sim::DeviceConfig current = quick_device();
    current.web.identity.software_version = "2.0.13(g)";
    const auto up_to_date = start_device(current);
    const auto old = start_device(quick_device(), 1);
    const std::string current_one = device_address() + "\n", old_one = device_address(1) + "\n",
                      nobody = device_address(2) + "\n";
    const struct {
        std::string name;
        std::string devices;
        int status;
    } cases[] = {
        {"all current", current_one, 0},
        {"one outdated", current_one + old_one, 10},
        {"one not there", current_one + nobody + old_one, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string list = write_file("check-devices", c.devices);
        const CliRun run = run_cli({"--devices", list, "--check", "--local-address", pc()});
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        EXPECT_EQ(run.out.find("Accept the warning"), std::string::npos) << run.out;
    }
    EXPECT_TRUE(up_to_date->web().upgrade_requests().empty());
    EXPECT_TRUE(old->web().upgrade_requests().empty());

    // Run twice, a list upgrades what is old once and then leaves it alone.
    const std::string list = write_file("if-needed-devices", current_one + old_one);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const CliRun run = run_cli(
            {"--devices", list, "--if-needed", "--yes", "--local-address", pc(), "--restart-wait", "1.5"}, {}, 90000);
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_NE(
            run.out.find(round == 0 ? "2 devices: 1 upgraded, 1 current\n" : "2 devices: 0 upgraded, 2 current\n"),
            std::string::npos)
            << run.out;
    }
    EXPECT_TRUE(up_to_date->web().upgrade_requests().empty());
    EXPECT_EQ(old->web().upgrade_requests().size(), 1u);
}

}  // namespace
}  // namespace voq::test
