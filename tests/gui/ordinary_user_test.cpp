// The Linux program as an ordinary desktop user runs it: under a user of its own
// (nobody), with no privilege beyond what its file may be granted. Without the
// capability the system keeps ports 69 to 168 from it and the upgrade goes through
// the unprivileged ports; with it, the upgrade is served from port 69.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/statvfs.h>
#include <unistd.h>

#include "autopilot_run.h"
#include "sim/device.h"
#include "support/files.h"
#include "support/loopback.h"
#include "support/ordinary_user.h"
#include "ui/views.h"

namespace voq::test {
namespace {

namespace fs = std::filesystem;

class OrdinaryUser : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!can_become_ordinary_user()) GTEST_SKIP() << "no other user to become here (run as root)";
        ASSERT_TRUE(folder.made());
        program = folder.hand(VOQ_AUTOPILOT);
        ASSERT_FALSE(program.empty());
    }

    // A whole upgrade by the program's own user; the port its upgrade request named.
    int upgrade_as_nobody()
    {
        const LoopbackPair addresses = loopback_pair();
        sim::DeviceConfig config;
        config.web.address = addresses.device;
        config.tftp.restart_ms = 300;
        sim::SimulatedDevice device(config);
        std::string problem;
        EXPECT_TRUE(device.start(problem)) << problem;

        const fs::path shots = folder.make_folder("shots");
        EXPECT_FALSE(shots.empty());
        const CommandResult run =
            autopilot("--shots " + shots.string() + " --address " + dotted(addresses.device) +
                          " --restart-wait-units 40 --local-address " + dotted(addresses.pc),
                      as_ordinary_user_command() + "env HOME=" + folder.path().string(), program.string());
        EXPECT_EQ(run.status, 0) << run.output;
        const std::string summary = read_file(shots / "summary.txt");
        EXPECT_NE(summary.find("screen 111 \"" + ui::success_caption(dotted(addresses.device)) + "\""),
                  std::string::npos)
            << summary << run.output;
        EXPECT_EQ(summary.find("message"), std::string::npos) << summary;
        const auto fetches = device.fetches();
        EXPECT_EQ(fetches.size(), 1u);
        for (const sim::Fetch& fetch : fetches) EXPECT_TRUE(fetch.complete && fetch.bytes.size() == 734916u);
        const auto requests = device.web().upgrade_requests();
        return requests.size() == 1 ? requests[0].port : -1;
    }

    const OrdinaryUserFolder folder;
    fs::path program;
};

TEST_F(OrdinaryUser, WithoutTheCapabilityTheUpgradeGoesThroughTheUnprivilegedPorts)
{
    EXPECT_EQ(upgrade_as_nobody(), 10069);
}

TEST_F(OrdinaryUser, WithTheCapabilityTheUpgradeIsServedFromPort69)
{
    struct statvfs file_system {};
    ASSERT_EQ(::statvfs(folder.path().c_str(), &file_system), 0);
    if ((file_system.f_flag & ST_NOSUID) != 0)
        GTEST_SKIP() << folder.path() << " is mounted nosuid: no file capabilities";
    const CommandResult granted = run_command("setcap cap_net_bind_service=+ep " + program.string() + " 2>&1");
    if (granted.status != 0) GTEST_SKIP() << "setcap: " << granted.output;
    EXPECT_EQ(upgrade_as_nobody(), 69);
}

}  // namespace
}  // namespace voq::test
