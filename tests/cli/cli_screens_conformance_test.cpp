// The command-line program's screens kept to the front-end contract of ui/screens.h.

#include <gtest/gtest.h>

#include <thread>

#include "frontends/cli/run/cli_screens.h"
#include "support/screens_conformance.h"

namespace voq::cli {
namespace {

Console::Settings quiet()
{
    Console::Settings settings;
    settings.quiet = true;
    return settings;
}

class CliConformance : public ::testing::TestWithParam<test::ConformanceCase> {};

TEST_P(CliConformance, Case)
{
    // A terminal has no one to press a button on a screen: its answers are its options
    // (--yes, the device address, the password's source) and its Cancel is Ctrl+C, which
    // ends the whole run rather than one screen. The runs in this folder test those.
    if (!GetParam().presses.empty()) GTEST_SKIP() << "needs a person to press the screens' buttons";
    Console console(quiet());
    PasswordSupply passwords(PasswordOrigin::none, "", console);
    RunRecord record;
    record.device = "192.0.2.2";
    CliScreens screens(ScreenSettings{}, console, passwords, record);
    const auto sleep_until = [](const std::function<bool()>& finished) {
        while (!finished()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    EXPECT_EQ(GetParam().run(screens, sleep_until), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Cli, CliConformance, ::testing::ValuesIn(test::conformance_cases()),
                         [](const auto& info) { return test::case_name(info.param); });

// A run that ends before anything was decided is a failure of the program, and its
// status says so.
TEST(CliConformanceDeathTest, EndProcessWhileAnotherThreadHoldsAScreen)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto end = [] {
        Console console(quiet());
        PasswordSupply passwords(PasswordOrigin::none, "", console);
        RunRecord record;
        CliScreens screens(ScreenSettings{}, console, passwords, record);
        test::end_process_while_another_thread_holds_a_screen(screens);
    };
    EXPECT_EXIT(end(), ::testing::ExitedWithCode(exit_status_of(Outcome::pc_failure)), "");
}

}  // namespace
}  // namespace voq::cli
