// Devices by address, by name and by range: what the program makes of each text, of
// a list that holds ranges, and the devices file it writes.

#include <gtest/gtest.h>

#include "frontends/cli/fleet/device_targets.h"
#include "frontends/cli/fleet/estate.h"
#include "frontends/cli/fleet/target_plan.h"

namespace voq::cli {
namespace {

constexpr std::uint32_t ten(std::uint32_t c, std::uint32_t d) { return 0x0a010000u | c << 8 | d; }

TEST(DeviceTargets, AddressNameOrRange)
{
    const auto address = TargetKind::address, name = TargetKind::name, range = TargetKind::range;
    const struct {
        const char* text;
        TargetKind kind;
        std::uint32_t first, last;
        const char* problem;
    } cases[] = {
        {"10.1.0.13", address, ten(0, 13), ten(0, 13), ""},
        {"voq-lobby.example", name, 0, 0, ""},
        {"voq-lobby.example.", name, 0, 0, ""},
        {"10.1.0.0/24", range, ten(0, 1), ten(0, 254), ""},
        {"10.1.0.77/24", range, ten(0, 1), ten(0, 254), ""},
        {"10.1.0.9/31", range, ten(0, 8), ten(0, 9), ""},
        {"10.1.0.5/32", range, ten(0, 5), ten(0, 5), ""},
        {"10.1.0.10-40", range, ten(0, 10), ten(0, 40), ""},
        {"10.1.0.250-10.1.1.5", range, ten(0, 250), ten(1, 5), ""},
        {"10.1.0.40-10", address, 0, 0, "a range that ends before it starts: 10.1.0.40-10"},
        {"10.1.0.0/33", address, 0, 0, "not an address range: 10.1.0.0/33"},
        {"10.1.0.10-256", address, 0, 0, "not an address range: 10.1.0.10-256"},
        {"0.0.0.0/0", address, 0, 0, "not an address range: 0.0.0.0/0"},
        {"10.1.0", address, 0, 0, "not an IPv4 address: 10.1.0"},
        {"-lead.example", address, 0, 0, "not an IPv4 address: -lead.example"},
        {"under_score", address, 0, 0, "not an IPv4 address: under_score"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const DeviceTarget target = parse_target(c.text);
        EXPECT_EQ(target.problem, c.problem);
        EXPECT_EQ(target.kind, c.kind);
        EXPECT_EQ(target.first, c.first);
        EXPECT_EQ(target.last, c.last);
    }
}

// An address listed on its own runs once, as listed; a range never goes past its ends.
TEST(DeviceTargets, RangesSpreadWithinTheirBound)
{
    const std::vector<DeviceLine> lines{{1, "10.1.0.2", ten(0, 2), "admin", ""}, {2, "10.1.0.0/29", 0, "op", ""}};
    std::string problem;
    const std::vector<PlannedDevice> planned = spread_targets(lines, 6, problem);
    ASSERT_EQ(problem, "");
    std::vector<std::string> spread;
    for (const PlannedDevice& p : planned) spread.push_back(p.device.address_text + (p.in_range ? "+" : ""));
    EXPECT_EQ(spread,
              (std::vector<std::string>{"10.1.0.2", "10.1.0.1+", "10.1.0.3+", "10.1.0.4+", "10.1.0.5+", "10.1.0.6+"}));
    EXPECT_EQ(planned[1].device.user, "op");
    EXPECT_TRUE(spread_targets(lines, 5, problem).empty());
    EXPECT_EQ(problem, "the ranges hold 6 addresses, more than 5; give --max-hosts to allow more");
}

TEST(DevicesFileWritten, HoldsTheVoqsFoundAndReadsBack)
{
    std::vector<RunRecord> records(3);
    records[0].device = "10.1.0.2", records[0].product = "VOQ-3300", records[0].version_before = "2.0.12(SE)";
    records[1].device = "10.1.0.3", records[1].outcome = Outcome::not_a_voq, records[1].product = "x";
    records[2].device = "10.1.0.4", records[2].product = "VOQ\n-3300", records[2].version_after = "2.0.13(g)";
    records[2].name = "lobby";
    const std::string text = devices_file_text(records);
    EXPECT_NE(text.find("10.1.0.4  # VOQ-3300 2.0.13(g) (lobby)\n"), std::string::npos) << text;
    const DevicesList read = parse_devices(text, "admin");
    ASSERT_EQ(read.problem, "");
    ASSERT_EQ(read.devices.size(), 2u);
    EXPECT_EQ(read.devices[0].address_text, "10.1.0.2");
    EXPECT_EQ(read.devices[1].address_text, "10.1.0.4");
}

}  // namespace
}  // namespace voq::cli
