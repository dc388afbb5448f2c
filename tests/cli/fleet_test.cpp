// Many devices from one PC address: a child process for each, the summary, the status.

#include <nlohmann/json.hpp>
#include <map>
#include <set>
#include <sstream>

#include "cli_fixture.h"

namespace voq::test {
namespace {

using Fleet = CliTest;

TEST_F(Fleet, ThreeUpgradedInParallelAndAFourthFailing)
{
    const auto first = start_device(230);
    const auto second = start_device(231);
    const auto third = start_device(232);
    // 127.0.233.2: nobody there.
    const std::string list = write_file("devices",
                                        "# the lab bench\n"
                                        "127.0.230.2\n"
                                        "127.0.231.2   admin   # the default user, named\n"
                                        "\n"
                                        "127.0.232.2\n"
                                        "127.0.233.2\n");
    const CliRun run = run_cli({"--devices", list, "--parallel", "4", "--yes", "--local-address", "127.0.230.1",
                                "--restart-wait", "1.5"},
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

    EXPECT_NE(run.out.find("DEVICE       OUTCOME      VERSION      SECONDS  REASON\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("4 devices: 3 upgraded, 1 no-response\n"), std::string::npos) << run.out;
    for (const char* device : {"127.0.230.2", "127.0.231.2", "127.0.232.2"})
        EXPECT_NE(run.out.find(std::string(device) + "  upgraded     2.0.13(g)"), std::string::npos) << run.out;
    const std::size_t failed = run.out.find("127.0.233.2  no-response  -  ");
    ASSERT_NE(failed, std::string::npos) << run.out;
    EXPECT_NE(run.out.substr(failed, run.out.find('\n', failed) - failed).find("  Upgrade Failed: No Response From VOQ"),
              std::string::npos) << run.out;
    EXPECT_FALSE(holds_control_characters(run.out));
}

TEST_F(Fleet, JsonIsOneObjectALine)
{
    const auto device = start_device(234);
    // 127.0.234.3: nobody there.
    const std::string list = write_file("json-devices", "127.0.234.2\n127.0.234.3\n");
    const CliRun run = run_cli({"--devices", list, "--parallel", "2", "--yes", "--json", "--local-address", "127.0.234.1",
                                "--restart-wait", "1.5"},
                               {}, 90000);
    EXPECT_EQ(run.status, 2) << run.err;
    std::istringstream lines(run.out);
    std::map<std::string, int> statuses;
    for (std::string line; std::getline(lines, line);) {
        const auto object = nlohmann::json::parse(line, nullptr, false);
        ASSERT_TRUE(object.is_object()) << line;
        statuses[object["device"].get<std::string>()] = object["status"].get<int>();
    }
    EXPECT_EQ(statuses, (std::map<std::string, int>{{"127.0.234.2", 0}, {"127.0.234.3", 2}}));
}

TEST_F(Fleet, ABadLineIsNamedAndNothingIsSent)
{
    const auto device = start_device(236);
    const std::string list = write_file("bad-devices", "127.0.236.2\n# fine so far\n127.0.236.300 admin\n");
    const CliRun run = run_cli({"--devices", list, "--yes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(list + ": line 3: not an IPv4 address: 127.0.236.300"), std::string::npos) << run.err;
    EXPECT_TRUE(device->web().requests().empty());
}

}  // namespace
}  // namespace voq::test
