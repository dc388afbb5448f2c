#include "app/version_number.h"

#include <gtest/gtest.h>

#include <string>

#include "firmware/image.h"

namespace voq::app {
namespace {

TEST(VersionNumber, ReadsUpToThreeComponentsTheWayTheCLibraryReadsNumbers)
{
    const struct {
        std::string text;
        std::int32_t number;
    } cases[] = {
        {"2.0.13(g)", 20013},
        {"2.0.12(SE)", 20012},
        {"2.0", 200},
        {"2", 2},
        {"", 0},
        {"2.0.13.7", 20013},  // a fourth component is never read
        {"R2.0.13", 200},     // the letter costs the first component
        {"2.010.5", 20805},   // 010 is octal
        {"2.08.1", 20000},    // 0 then 8 stops the octal reading; ".1" finds no digit
        {"2.0x1f.3", 23103},  // hexadecimal
        {"2.0X1F.3", 23103},
        {"2.0xg.3", 20000},  // "0x" without a hex digit is 0 ending at the x
        {"0x", 0},
        {" 2. 0.\t13", 20013},  // blanks before a component are skipped
        {"+2.0.1", 20001},
        {"-1", -1},  // a minus sign negates modulo 2^32
        {"1.-1.0", 9900},
        {"4294967295", -1},
        {"99999999999", -1},    // beyond 32 bits reads as 4294967295
        {"-99999999999", -1},   // whatever the sign
        {"42949673.0.0", 400},  // 42949673 * 100 wraps to 4
        {"2..13", 20013},
        {"..", 0},
        {"abc", 0},
        {"1.2.3(NT)", 10203},
        {"9.9.9(NT)", 90909},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("version \"" + c.text + "\"");
        EXPECT_EQ(version_number(c.text), c.number);
    }
}

TEST(StageDecision, StagesOlderDevicesAndNtBuilds)
{
    const struct {
        std::string device;
        std::string transition;
        Stage stage;
    } cases[] = {
        {"2.0.12(SE)", "2.0.12(SE)", Stage::direct},  // equal goes direct
        {"2.0.11", "2.0.12(SE)", Stage::staged},
        {"2.0.13(g)", "2.0.12(SE)", Stage::direct},
        {"R2.0.13", "2.0.12(SE)", Stage::staged},
        {"", "2.0.12(SE)", Stage::staged},
        {"9.9.9(NT)", "2.0.12(SE)", Stage::staged},  // "(NT" wins over any number
        {"(NT", "", Stage::staged},
        {"9.9.9(nt)", "2.0.12(SE)", Stage::direct},  // the letters are case-sensitive
        {"9.9.9 (N T)", "2.0.12(SE)", Stage::direct},
        {"-1", "0", Stage::staged},  // compared as signed numbers
        {"4294967295", "2.0.12(SE)", Stage::staged},
        {"2147483647", "2.0.12(SE)", Stage::direct},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("device \"" + c.device + "\" transition \"" + c.transition + "\"");
        EXPECT_EQ(stage_decision(c.device, c.transition), c.stage);
    }
}

TEST(VersionStanding, CurrentAsTheCheckAfterTheRestartSaysElseByTheNumbers)
{
    const struct {
        std::string device;
        record::Standing standing;
    } cases[] = {
        {"2.0.13(g)", record::Standing::current},
        {"2.0.13", record::Standing::other_build},  // what the check after the restart refuses is no current version
        {"2.0.13(SE)", record::Standing::other_build},
        {"2.0.12(SE)", record::Standing::outdated},
        {"2.0.14", record::Standing::newer},
        {"3.0", record::Standing::outdated},      // two components: 300
        {"R2.0.14", record::Standing::outdated},  // the letter costs the first component
        {"", record::Standing::unreadable},       // a page without a version
        {"\n", record::Standing::unreadable},
        {"2.0.015", record::Standing::other_build},  // octal, as the stage decision reads it
        {"9.9.9(NT)", record::Standing::outdated},   // the transition first, however high
        {"2147483647", record::Standing::newer},
        {"4294967295", record::Standing::outdated},  // -1 as a signed number
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("device \"" + c.device + "\"");
        EXPECT_EQ(version_standing(c.device, "2.0.13(g)", "2.0.12(SE)"), c.standing);
        EXPECT_EQ(fw::same_version(c.device, "2.0.13(g)"), c.standing == record::Standing::current);
    }
}

}  // namespace
}  // namespace voq::app
