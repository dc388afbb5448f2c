#include "web/runner.h"

#include <gtest/gtest.h>

#include <memory>

#include "sim/web_server.h"
#include "support/loopback.h"
#include "support/recording_screens.h"

namespace voq::web {
namespace {

TEST(RunRequest, ProgressClimbsEveryTenTurnsAndWrapsAfter100)
{
    const test::LoopbackPair addresses = test::loopback_pair(27);
    sim::WebConfig config;
    config.address = addresses.device;
    config.answer_delay_ms = 2500;  // long enough for more than 102 steps
    sim::WebServer device(config);
    std::string problem;
    ASSERT_TRUE(device.start(problem)) << problem;

    test::RecordingScreens screens;
    auto session = std::make_unique<app::Session>(1);
    session->screens = &screens;
    EXPECT_GT(run_request(*session, device_request(*session, addresses.pc, addresses.device, "/admin/advanced")), 0);
    EXPECT_EQ(screens.opened, std::vector<int>{105});
    ASSERT_GE(screens.positions.size(), 102u);
    for (std::size_t step = 0; step < screens.positions.size(); ++step)
        ASSERT_EQ(screens.positions[step], static_cast<int>(step % 101)) << "step " << step;
}

TEST(RunRequest, NothingReceivedReturnsZeroAfterOneAttempt)
{
    const test::LoopbackPair addresses = test::loopback_pair(28);
    test::RecordingScreens screens;
    auto session = std::make_unique<app::Session>(1);
    session->screens = &screens;
    EXPECT_EQ(run_request(*session, device_request(*session, addresses.pc, addresses.device, "/admin/advanced")), 0);
    EXPECT_EQ(screens.opened, std::vector<int>{105});
    EXPECT_TRUE(screens.reports.empty());
}

}  // namespace
}  // namespace voq::web
