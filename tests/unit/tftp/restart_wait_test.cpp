#include "tftp/completion.h"

#include <gtest/gtest.h>

#include <memory>

#include "session/session.h"
#include "support/recording_screens.h"

namespace voq::tftp {
namespace {

// A clock that moves only when the wait sleeps.
std::uint32_t fake_now = 0;
std::uint32_t slept = 0;
std::uint32_t overslept = 0;  // a loaded machine wakes the wait late
WaitClock fake_clock()
{
    return {[] { return fake_now; },
            [](unsigned ms) {
                fake_now += ms + overslept;
                slept += ms;
            }};
}

class RestartWait : public ::testing::Test {
protected:
    void wait_from(std::uint32_t start, std::uint32_t late_by = 0, unsigned turn_ms = 1)
    {
        fake_now = start;
        overslept = late_by;
        slept = 0;
        test::RecordingScreens screens;
        screens.turn_ms = turn_ms;
        auto session = std::make_unique<session::Session>(1);
        session->screens = &screens;
        ui::ProgressScreen uploading(*session, {110, "", "", 10});
        restart_wait(uploading, units, fake_clock());
        positions = screens.positions;
    }
    std::vector<int> positions;
    const int units = restart_wait_units(session::Session(1).restart_wait_ms);
};

// The waits a run keeps unless a test shortens them, pinned here as numbers so that a
// change where they are defined cannot pass unnoticed.
TEST(ProgramsWaits, AreThirtySecondsOfRestartThirtyOfSilenceAndTwoBetweenReadings)
{
    const session::Session defaults(1);
    EXPECT_EQ(defaults.restart_wait_ms, 30000u);
    EXPECT_EQ(restart_wait_units(defaults.restart_wait_ms), 937);  // 29984 ms
    EXPECT_EQ(defaults.transfer_silence_floor_ms, 30000u);
    EXPECT_EQ(defaults.reread_spacing_ms, 2000u);
}

// The test tools give the wait in units; what the core then holds, for any count.
TEST(RestartWaitUnits, ConvertToTheCoresMillisecondsAndBack)
{
    const struct {
        int units;
        std::uint32_t ms;
        int units_back;
    } cases[] = {
        {-1, 0, 0},
        {0, 0, 0},
        {1, 32, 1},
        {40, 1280, 40},
        {937, 29984, 937},
        {134217727, 4294967264u, 134217727},  // the last count the milliseconds hold
        {134217728, UINT32_MAX, 134217727},
        {INT32_MAX, UINT32_MAX, 134217727},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(restart_wait_ms_of_units(c.units), c.ms) << c.units;
        EXPECT_EQ(restart_wait_units(restart_wait_ms_of_units(c.units)), c.units_back) << c.units;
    }
}

TEST_F(RestartWait, LastsTheProgramsWaitIn32MsUnits)
{
    const struct {
        const char* what;
        std::uint32_t start;
        std::uint32_t late_by = 0;
        unsigned turn_ms = 1;
    } cases[] = {
        {"at a unit's start", 0},
        {"late in a unit", 31},  // the first unit is nearly over: the wait is one unit shorter
        {"across the clock's wrap", 0xffffffffu - 5000},
        {"unit count wrapping", 0xffffffe0u},
        {"woken late past the end", 0, 100},  // the bar still ends at its range
        {"a screen turning every 100 ms", 0, 0, 100},  // in fewer steps, none past the end
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        wait_from(c.start, c.late_by, c.turn_ms);
        ASSERT_GE(positions.size(), 2u);
        EXPECT_EQ(positions.front(), 0);
        EXPECT_EQ(positions.back(), 937);
        EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
        if (c.late_by != 0) continue;
        const auto units_ms = static_cast<std::uint32_t>(units) * restart_wait_unit_ms;
        EXPECT_GE(slept, units_ms - restart_wait_unit_ms + 1);
        EXPECT_LE(slept, units_ms + restart_wait_unit_ms);
    }
}

}  // namespace
}  // namespace voq::tftp
