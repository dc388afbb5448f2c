// The Linux front-end's real widgets on Qt's offscreen platform, clicked and typed
// into by the autopilot, which also keeps a PNG of every screen as test output.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <filesystem>
#include <memory>
#include <string>

#include "autopilot_run.h"
#include "sim/device.h"
#include "support/files.h"
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
    // Under a dark palette every screen is dark ground with light text: no pane or
    // field keeps a light ground of its own.
    for (const char* id : {"139", "101", "305", "104", "105", "103", "304", "114", "110", "111"}) {
        SCOPED_TRACE(std::string("dark ") + id);
        const QImage shot(QString::fromStdString((shots / "dark" / (std::string(id) + ".png")).string()));
        ASSERT_FALSE(shot.isNull());
        int light = 0;
        double lightness = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const double l = QColor(shot.pixel(x, y)).lightnessF();
                lightness += l;
                if (l > 0.7) ++light;
            }
        }
        const double pixels = static_cast<double>(shot.width()) * shot.height();
        EXPECT_LT(lightness / pixels, 0.3);
        EXPECT_GT(light, 50);
        EXPECT_LT(light / pixels, 0.15);
    }
    const std::string summary = read_file(shots / "summary.txt");
    EXPECT_NE(summary.find("screen 304 \"" + ui::confirm_caption("2.0.13(g)") + "\""), std::string::npos) << summary;
    EXPECT_NE(summary.find("exit 0"), std::string::npos) << summary;
}

TEST(Desktop, AWholeUpgradeThroughTheRealWidgets)
{
    const LoopbackPair addresses = loopback_pair();
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
    const fs::path logs = fs::path(VOQ_SCREENSHOTS) / "upgrade-logs" / "voq-upgrade";
    fs::remove_all(logs.parent_path());
    const CommandResult run = autopilot("--shots " + shots.string() + " --address " + dotted(addresses.device) +
                                        " --password secret --restart-wait-units 40 --local-address " +
                                        dotted(addresses.pc) + " --log-folder " + logs.string());
    EXPECT_EQ(run.status, 0) << run.output;
    const std::string summary = read_file(shots / "summary.txt");
    for (const std::string& screen :
         {std::string("screen 139"), std::string("screen 101"), std::string("screen 104"), std::string("screen 103"),
          "screen 111 \"" + ui::success_caption(dotted(addresses.device)) + "\""})
        EXPECT_NE(summary.find(screen), std::string::npos) << screen << "\n" << summary;
    EXPECT_EQ(summary.find("message"), std::string::npos) << summary;
    ASSERT_EQ(device.fetches().size(), 1u);
    EXPECT_TRUE(device.fetches()[0].complete);
    EXPECT_EQ(device.fetches()[0].bytes.size(), 734916u);

    // The support log: its folder made, the run in it, the password not.
    ASSERT_TRUE(fs::is_directory(logs));
    const auto first = fs::directory_iterator(logs);
    ASSERT_NE(first, fs::directory_iterator());
    const std::string log = read_file(first->path());
    for (const std::string& line :
         {"PC address " + dotted(addresses.pc) + ", device " + dotted(addresses.device),
          std::string("Authorization: Digest username=\"admin\""),
          std::string("Transfer complete: blocks 1-1436 acknowledged, 734916 of 734916 bytes"),
          "Shown: " + ui::success_caption(dotted(addresses.device))})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(log.find("secret"), std::string::npos) << log;
}

}  // namespace
}  // namespace voq::test
