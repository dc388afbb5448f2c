// --check and --if-needed in their pure parts: the verdict on a device's version, a
// list's status, and the record that carries them.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "frontends/cli/fleet/fleet.h"
#include "frontends/cli/run/record_json.h"
#include "frontends/cli/run/standing.h"

namespace voq::cli {
namespace {

TEST(StandingVerdict, EachModeAndStanding)
{
    using record::Standing;
    const struct {
        Mode mode;
        record::StandingFact fact;
        bool upgrade;
        Outcome outcome;
        std::string message;
    } cases[] = {
        {Mode::upgrade, {Standing::current, false}, true, Outcome::upgraded, ""},
        {Mode::upgrade, {Standing::newer, false}, true, Outcome::upgraded, ""},
        {Mode::if_needed, {Standing::outdated, true}, true, Outcome::upgraded, ""},
        {Mode::if_needed,
         {Standing::current, false},
         false,
         Outcome::current,
         "Not upgraded: the device runs 2.0.13, the version of the tool's firmware 2.0.13(g)"},
        {Mode::if_needed,
         {Standing::newer, false},
         false,
         Outcome::newer,
         "Not upgraded: the device runs 2.0.13, later than the tool's firmware 2.0.13(g)"},
        {Mode::check,
         {Standing::current, false},
         false,
         Outcome::current,
         "Current: the device runs 2.0.13, the version of the tool's firmware 2.0.13(g)"},
        {Mode::check,
         {Standing::newer, false},
         false,
         Outcome::newer,
         "Newer: the device runs 2.0.13, later than the tool's firmware 2.0.13(g)"},
        {Mode::check,
         {Standing::outdated, false},
         false,
         Outcome::outdated,
         "Outdated: the device runs 2.0.13, older than the tool's firmware 2.0.13(g); it would be upgraded directly"},
        {Mode::check,
         {Standing::other_build, false},
         false,
         Outcome::outdated,
         "Outdated: the device runs 2.0.13, another build than the tool's firmware 2.0.13(g); it would be upgraded "
         "directly"},
        {Mode::if_needed, {Standing::other_build, false}, true, Outcome::upgraded, ""},
        {Mode::upgrade, {Standing::unreadable, false, 404}, true, Outcome::upgraded, ""},
        {Mode::if_needed,
         {Standing::unreadable, false, 0},
         false,
         Outcome::unreadable,
         "Not upgraded: the device could not be read: its status page answered without a status code and gave no "
         "version"},
        {Mode::check,
         {Standing::outdated, true},
         false,
         Outcome::outdated,
         "Outdated: the device runs 2.0.13, older than the tool's firmware 2.0.13(g); a staged build would serve the "
         "transition image first"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const StandingVerdict verdict = standing_verdict(c.mode, c.fact, "2.0.13", "2.0.13(g)");
        EXPECT_EQ(verdict.upgrade, c.upgrade);
        if (c.upgrade) continue;
        EXPECT_EQ(verdict.outcome, c.outcome);
        EXPECT_EQ(verdict.message, c.message);
    }
    EXPECT_EQ(standing_verdict(Mode::check, {Standing::outdated, true}, "", "2.0.13(g)").message.substr(0, 37),
              "Outdated: the device runs no version,");
}

TEST(StandingVerdict, TheDevicesVersionShownNotObeyed)
{
    const struct {
        std::string version;
        std::string message;
    } cases[] = {
        {"2.0.13\x1b[2J\x1b]0;owned\x07", "Current: the device runs 2.0.13[2J]0;owned, the version"},
        {"2.0.13\r\nUpgraded", "Current: the device runs 2.0.13Upgraded, the version"},
        {"\x1b\x7f", "Current: the device runs no version, the version"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const std::string message =
            standing_verdict(Mode::check, {record::Standing::current, false}, c.version, "2.0.13(g)").message;
        EXPECT_TRUE(message.starts_with(c.message)) << message;
    }
}

RunRecord record_of(Outcome outcome, bool checking = false)
{
    RunRecord record;
    record.outcome = outcome;
    record.checking = checking;
    return record;
}

TEST(FleetStatus, AFailureBeforeTenBeforeZero)
{
    const struct {
        std::string name;
        std::vector<RunRecord> records;
        int status;
    } cases[] = {
        {"all upgraded", {record_of(Outcome::upgraded), record_of(Outcome::upgraded)}, 0},
        {"upgraded and left alone",
         {record_of(Outcome::current), record_of(Outcome::upgraded), record_of(Outcome::newer)},
         0},
        {"all current", {record_of(Outcome::current, true), record_of(Outcome::current, true)}, 0},
        {"one outdated", {record_of(Outcome::current, true), record_of(Outcome::outdated, true)}, 10},
        {"a newer one checked", {record_of(Outcome::newer, true), record_of(Outcome::current, true)}, 10},
        {"a failure after an outdated one",
         {record_of(Outcome::outdated, true), record_of(Outcome::password, true)},
         3},
        {"the first failure in the file",
         {record_of(Outcome::current), record_of(Outcome::no_response), record_of(Outcome::password)},
         2},
        {"nothing", {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fleet_status(c.records), c.status);
    }
}

TEST(RecordJson, TheStatusOfANewerDeviceFollowsTheMode)
{
    for (const bool checking : {true, false}) {
        SCOPED_TRACE(checking ? "--check" : "--if-needed");
        RunRecord record = record_of(Outcome::newer, checking);
        record.transition_first = false;
        const std::string line = record_json(record);
        const auto object = nlohmann::json::parse(line);
        EXPECT_EQ(object["status"], checking ? 10 : 0);
        EXPECT_EQ(object["outcome"], "newer");
        EXPECT_EQ(object["transition_first"], false);
        const auto back = parse_record_json(line);
        ASSERT_TRUE(back);
        EXPECT_EQ(status_of(*back), checking ? 10 : 0) << "a list's status is made from its children's lines";
        EXPECT_EQ(back->transition_first, std::optional<bool>(false));
    }
    EXPECT_TRUE(nlohmann::json::parse(record_json(RunRecord{}))["transition_first"].is_null());
}

TEST(SummaryTable, LeftAloneHasNoReasonAndOutdatedHasOne)
{
    std::vector<RunRecord> records{record_of(Outcome::current, true), record_of(Outcome::outdated, true)};
    records[0].device = "10.0.0.2";
    records[0].version_before = "2.0.13(g)";
    records[0].message = "Current: ...";
    records[1].device = "10.0.0.3";
    records[1].version_before = "2.0.12(SE)";
    records[1].message = "Outdated: ...";
    const std::string table = summary_table(records);
    EXPECT_NE(table.find("10.0.0.2  current   2.0.13(g)        0.0\n"), std::string::npos) << table;
    EXPECT_NE(table.find("10.0.0.3  outdated  2.0.12(SE)       0.0  Outdated: ...\n"), std::string::npos) << table;
    EXPECT_TRUE(table.ends_with("2 devices: 0 upgraded, 1 current, 1 outdated\n")) << table;
}

}  // namespace
}  // namespace voq::cli
