// The Windows build under wine against the simulated device: the scripted harness
// built for Windows, with the same core, entry, start-up and embedded resources.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "harness.h"
#include "sim/device.h"
#include "support/files.h"
#include "support/loopback.h"
#include "ui/texts.h"
#include "ui/views.h"

namespace voq::test {
namespace {

// Wine binds sockets only to addresses of the machine's interfaces, so the Windows
// side is the PC at 127.0.0.1 (its ports taken by the first free search as always).
constexpr std::uint32_t wine_pc = 0x7f000001;

class WindowsBuild : public ::testing::Test {
protected:
    void start_device(sim::DeviceConfig config)
    {
        device_address = loopback_pair().device;
        config.web.address = device_address;
        config.web.log = device_log();
        config.tftp.request_delay_ms = 50;
        config.tftp.restart_ms = 300;
        device = std::make_unique<sim::SimulatedDevice>(config);
        std::string problem;
        ASSERT_TRUE(device->start(problem)) << problem;
    }

    HarnessRun run(const std::string& more)
    {
        const std::string script = "local-addresses " + dotted(wine_pc) +
                                   "\nrestart-wait-units 40\nwarning continue\n" + "address type " +
                                   dotted(device_address) + "\nconfirm upgrade\nsuccess ok\n" + more;
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        HarnessRun result = run_harness(VOQ_WINDOWS_HARNESS, script, test->name(), 120000, {"wine"});
        EXPECT_FALSE(result.hung) << result.text();
        EXPECT_EQ(result.status, 0);
        return result;
    }

    std::uint32_t device_address = 0;
    std::unique_ptr<sim::SimulatedDevice> device;
};

TEST_F(WindowsBuild, UpgradesAProtectedDeviceByteForByte)
{
    sim::DeviceConfig config;
    config.web.digest.enabled = true;
    config.web.digest.password = "secret";
    config.web.digest.qop = "auth";
    start_device(config);
    const HarnessRun result = run("password enter admin secret\n");
    const std::string device_text = dotted(device_address);
    EXPECT_TRUE(result.in_order(
        {"open 139 \"VOQ-3100/3300 Firmware Upgrade\"", "open 104 \"Enter Password Information\"",
         "field 103 1004 \"2.0.12(SE)\"",
         shown("caption 110", ui::uploading_caption(ui::text::target_role, device_text, 734916, 734916)),
         shown("open 111", ui::success_caption(device_text)), "end-process"}))
        << result.text();
    const std::vector<std::uint8_t> target = read_file_bytes(VOQ_TARGET_IMAGE_FILE);
    ASSERT_EQ(device->fetches().size(), 1u);
    EXPECT_TRUE(device->fetches()[0].bytes == target) << "the image arrived changed";
}

TEST_F(WindowsBuild, CancelOnTheWaitingScreenEndsTheProcess)
{
    sim::DeviceConfig config;
    config.tftp.faults.never_request = true;
    start_device(config);
    const HarnessRun result = run("cancel waiting after 100\n");
    EXPECT_TRUE(
        result.in_order({"open 114 \"Waiting For Firmware Download Request From VOQ\"", "press 114 2",
                         "message \"VOQ Firwmare Upgrade Error\" \"Upgrade Failed: User Abort\"", "end-process"}))
        << result.text();
}

}  // namespace
}  // namespace voq::test
