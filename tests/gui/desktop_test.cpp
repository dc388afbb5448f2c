// The Linux front-end's real widgets on Qt's offscreen platform, clicked and typed
// into by the autopilot, which also keeps a PNG of every screen as test output.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "autopilot_run.h"
#include "sim/device.h"
#include "support/loopback.h"
#include "ui/views.h"

namespace voq::test {
namespace {

namespace fs = std::filesystem;

TEST(Desktop, EveryTemplateIsDrawn)
{
    const fs::path shots = fs::path(VOQ_SCREENSHOTS) / "templates";
    fs::remove_all(shots);
    const CommandResult run = autopilot("--gallery --shots " + shots.string());
    EXPECT_EQ(run.status, 0) << run.output;
    for (const char* id : {"139", "101", "305", "104", "105", "103", "304", "114", "110", "111"}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(fs::exists(shots / (std::string(id) + ".png")));
        EXPECT_GT(fs::file_size(shots / (std::string(id) + ".png")), 1000u);
    }
    const std::string summary = read_text(shots / "summary.txt");
    EXPECT_NE(summary.find("screen 304 \"" + ui::confirm_caption("2.0.13(g)") + "\""), std::string::npos) << summary;
    EXPECT_NE(summary.find("exit 0"), std::string::npos) << summary;
}

TEST(Desktop, AWholeUpgradeThroughTheRealWidgets)
{
    const LoopbackPair addresses = loopback_pair(120);
    sim::DeviceConfig config;
    config.web.address = addresses.device;
    config.web.digest.enabled = true;
    config.web.digest.password = "secret";
    config.web.digest.qop = "auth";
    config.tftp.restart_ms = 300;
    sim::SimulatedDevice device(config);
    std::string problem;
    ASSERT_TRUE(device.start(problem)) << problem;

    const fs::path shots = fs::path(VOQ_SCREENSHOTS) / "upgrade";
    fs::remove_all(shots);
    const CommandResult run = autopilot("--shots " + shots.string() + " --address " + dotted(addresses.device) +
                                        " --password secret --restart-wait-units 40 --local-address " +
                                        dotted(addresses.pc));
    EXPECT_EQ(run.status, 0) << run.output;
    const std::string summary = read_text(shots / "summary.txt");
    for (const std::string& screen : {std::string("screen 139"), std::string("screen 101"), std::string("screen 104"), std::string("screen 103"),
                                     "screen 111 \"" + ui::success_caption(dotted(addresses.device)) + "\""})
        EXPECT_NE(summary.find(screen), std::string::npos) << screen << "\n" << summary;
    EXPECT_EQ(summary.find("message"), std::string::npos) << summary;
    ASSERT_EQ(device.fetches().size(), 1u);
    EXPECT_TRUE(device.fetches()[0].complete);
    EXPECT_EQ(device.fetches()[0].bytes.size(), 734916u);
}

}  // namespace
}  // namespace voq::test
