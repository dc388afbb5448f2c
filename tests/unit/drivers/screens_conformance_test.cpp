// The scripted harness's screens kept to the front-end contract of ui/screens.h.

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "drivers/scripted/scripted_screens.h"
#include "support/screens_conformance.h"

namespace voq::ui::scripted {
namespace {

TEST(ScriptedScreens, KeepTheProgressScreensContract)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    Transcript transcript(file, false);
    ScriptedScreens screens(Script{}, transcript);
    const auto sleep_until = [](const std::function<bool()>& finished) {
        while (!finished()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    EXPECT_EQ(test::progress_screens_from_two_threads(screens, sleep_until), std::vector<std::string>{});
    std::fclose(file);
}

}  // namespace
}  // namespace voq::ui::scripted
