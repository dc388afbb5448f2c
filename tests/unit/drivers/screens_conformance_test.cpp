// The scripted harness's screens kept to the front-end contract of ui/screens.h: its
// person is its script, written from each case's presses before the screens open.

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <map>
#include <thread>

#include "drivers/scripted/scripted_screens.h"
#include "support/screens_conformance.h"

namespace voq::ui::scripted {
namespace {

std::deque<ModalAnswer>* queue_for(Script& script, int template_id)
{
    switch (template_id) {
    case templates::warning:
        return &script.warning;
    case templates::address_adapter:
    case templates::address_phone:
        return &script.address;
    case templates::password:
        return &script.password;
    case templates::confirm_direct:
    case templates::confirm_staged:
        return &script.confirm;
    case templates::success:
        return &script.success;
    default:
        return nullptr;
    }
}

// A box is only written down, and a look needs no answer.
Script script_of(const std::vector<test::Press>& presses)
{
    Script script;
    std::map<int, int> cancels;
    for (const test::Press& press : presses) {
        if (press.button == test::Button::look || press.template_id == 0) continue;
        const bool affirmative = press.button == test::Button::affirmative;
        if (std::deque<ModalAnswer>* queue = queue_for(script, press.template_id)) {
            queue->push_back({affirmative, press.typed, press.password, std::nullopt});
            continue;
        }
        script.cancels.push_back({press.template_id, ++cancels[press.template_id], 1});
    }
    return script;
}

class ScriptedConformance : public ::testing::TestWithParam<test::ConformanceCase> {};

TEST_P(ScriptedConformance, Case)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    Transcript transcript(file, false);
    ScriptedScreens screens(script_of(GetParam().presses), transcript);
    const auto sleep_until = [](const std::function<bool()>& finished) {
        while (!finished()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    EXPECT_EQ(GetParam().run(screens, sleep_until), std::vector<std::string>{});
    std::fclose(file);
}

INSTANTIATE_TEST_SUITE_P(Scripted, ScriptedConformance, ::testing::ValuesIn(test::conformance_cases()),
                         [](const auto& info) { return test::case_name(info.param); });

// A script ends with status 0 too: the transcript, not the status, tells what happened.
TEST(ScriptedConformanceDeathTest, EndProcessWhileAnotherThreadHoldsAScreen)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto end = [] {
        Transcript transcript(stdout, false);
        ScriptedScreens screens(Script{}, transcript);
        test::end_process_while_another_thread_holds_a_screen(screens);
    };
    EXPECT_EXIT(end(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace voq::ui::scripted
