// Many devices from one PC address: a run for each in the list's process, the summary, the status.

#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "cli_fixture.h"
#include "json_schema.h"

namespace voq::test {
namespace {

using Fleet = CliTest;

TEST_F(Fleet, ThreeUpgradedInParallelAndAFourthFailing)
{
    const auto first = start_device();
    const auto second = start_device(quick_device(), 1);
    const auto third = start_device(quick_device(), 2);
    const std::string nobody = device_address(3);
    const std::string list = write_file("devices", "# the lab bench\n" + device_address() + "\n" + device_address(1) +
                                                       "   admin   # the default user, named\n"
                                                       "\n" +
                                                       device_address(2) + "\n" + nobody + "\n");
    const std::string logs = write_file("logs", "") + ".d";
    const CliRun run = run_cli({"--devices", list, "--parallel", "4", "--yes", "--local-address", pc(),
                                "--restart-wait", "1.5", "--log", logs},
                               {}, 90000);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    for (const auto* device : {first.get(), second.get(), third.get()}) {
        const auto fetches = device->fetches();
        ASSERT_EQ(fetches.size(), 1u);
        EXPECT_TRUE(fetches[0].bytes == target);
    }
    // Each its own port of the listener's range.
    std::set<unsigned> ports;
    for (auto* device : {first.get(), second.get(), third.get()})
        ports.insert(device->web().upgrade_requests().at(0).port);
    EXPECT_EQ(ports.size(), 3u);

    // The device column is as wide as the addresses, which are all of one length here.
    const std::string header =
        "DEVICE" + std::string(nobody.size() - 4, ' ') + "OUTCOME      VERSION      SECONDS  REASON\n";
    EXPECT_NE(run.out.find(header), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("4 devices: 3 upgraded, 1 no-response\n"), std::string::npos) << run.out;
    for (const std::string& device : {device_address(), device_address(1), device_address(2)})
        EXPECT_NE(run.out.find(device + "  upgraded     2.0.13(g)"), std::string::npos) << run.out;
    const std::size_t failed = run.out.find(nobody + "  no-response  -  ");
    ASSERT_NE(failed, std::string::npos) << run.out;
    EXPECT_NE(
        run.out.substr(failed, run.out.find('\n', failed) - failed).find("  Upgrade Failed: No Response From VOQ"),
        std::string::npos)
        << run.out;
    // The cause it would be given alone, under its address.
    EXPECT_NE(
        run.err.find(nobody + ": Likely causes:\n  - Something at " + nobody + " refused the connection to port 80"),
        std::string::npos)
        << run.err;
    EXPECT_FALSE(holds_control_characters(run.out));
    // A support log a device, as the desktop programs keep it.
    for (const std::string& device : {device_address(), nobody})
        EXPECT_NE(read_file(logs + "/voq-upgrade-" + device + ".log").find(", device " + device), std::string::npos);
    std::filesystem::remove_all(logs);
}

TEST_F(Fleet, JsonIsOneObjectALine)
{
    const auto device = start_device();
    const std::string nobody = device_address(1);
    const std::string list = write_file("json-devices", device_address() + "\n" + nobody + "\n");
    const CliRun run = run_cli(
        {"--devices", list, "--parallel", "2", "--yes", "--json", "--local-address", pc(), "--restart-wait", "1.5"}, {},
        90000);
    EXPECT_EQ(run.status, 2) << run.err;
    std::istringstream lines(run.out);
    std::map<std::string, int> statuses;
    std::map<std::string, std::size_t> causes;
    std::map<std::string, int> outcomes;
    nlohmann::json summary;
    for (std::string line; std::getline(lines, line);) {
        const auto object = nlohmann::json::parse(line, nullptr, false);
        ASSERT_TRUE(object.is_object()) << line;
        EXPECT_TRUE(schema_problems(program_schema(), object).empty()) << line;
        ASSERT_TRUE(summary.is_null()) << "a line after the summary: " << line;
        if (object.contains("summary")) {
            summary = object["summary"];
            continue;
        }
        statuses[object["device"].get<std::string>()] = object["status"].get<int>();
        causes[object["device"].get<std::string>()] = object["likely_causes"].size();
        ++outcomes[object["outcome"].get<std::string>()];
    }
    EXPECT_EQ(statuses, (std::map<std::string, int>{{device_address(), 0}, {nobody, 2}}));
    EXPECT_EQ(causes, (std::map<std::string, std::size_t>{{device_address(), 0}, {nobody, 2}}));
    ASSERT_TRUE(summary.is_object()) << run.out;
    EXPECT_EQ(summary["devices"], statuses.size());
    EXPECT_EQ((summary["outcomes"].get<std::map<std::string, int>>()), outcomes);
    EXPECT_EQ(summary["status"], run.status);
    EXPECT_EQ(summary["absent"], 0);
}

// A run that ends on its listener while its other thread still waits for the device's
// answer: the list goes on, and the answer that comes late lands in a run still held.
TEST_F(Fleet, ARunEndedOnOneThreadLeavesItsOthersSafely)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.never_request = true;
    config.web.answer_delay_ms = 1200;
    const auto first = start_device(config);
    const auto second = start_device(config, 1);
    const std::string list = write_file("slow-devices", device_address() + "\n" + device_address(1) + "\n");
    const CliRun run = run_cli(
        {"--devices", list, "--parallel", "1", "--yes", "--json", "--local-address", pc(), "--request-timeout", "0.5"},
        {}, 60000);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 7) << run.out << run.err;
    EXPECT_NE(run.out.find(R"("outcomes":{"no-request":2})"), std::string::npos) << run.out;
}

TEST_F(Fleet, ABadLineIsNamedAndNothingIsSent)
{
    const auto device = start_device();
    const std::string list = write_file("bad-devices", device_address() + "\n# fine so far\n127.0.236.300 admin\n");
    const CliRun run = run_cli({"--devices", list, "--yes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(list + ": line 3: not an IPv4 address: 127.0.236.300"), std::string::npos) << run.err;
    EXPECT_TRUE(device->web().requests().empty());
}

}  // namespace
}  // namespace voq::test
