// The program built in staged mode: a device with older firmware gets the transition
// image first, then the target, both byte for byte, and the run ends once, verified.

#include <nlohmann/json.hpp>

#include "cli_fixture.h"
#include "support/files.h"

namespace voq::test {
namespace {

using StagedBuild = CliTest;

TEST_F(StagedBuild, ServesTheTransitionImageThenTheTarget)
{
    sim::DeviceConfig config = quick_device();
    config.web.identity.software_version = "2.0.11";
    const auto device = start_device(config);
    const std::string device_text = device_address();
    const CliRun run = run_cli({"--local-address", pc(), "--restart-wait", "1.5", "--yes", "--json", device_text}, {},
                               90000, "", VOQ_CLI_STAGED);
    EXPECT_EQ(run.status, 0) << run.err;
    const auto fetches = device->fetches();
    ASSERT_EQ(fetches.size(), 2u) << run.err;
    EXPECT_TRUE(fetches[0].bytes == read_file_bytes(VOQ_TRANSITION_IMAGE_FILE));
    EXPECT_TRUE(fetches[1].bytes == target);
    // The staged note of the confirm screen, and each delivery's lines.
    EXPECT_NE(run.err.find("Note: Since your current firmware version\nis older than 2.0.12(SE)"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("Updating Transition Firmware to VOQ@" + device_text), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Updating Target Firmware to VOQ@" + device_text), std::string::npos) << run.err;
    const auto report = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.out;
    EXPECT_EQ(report["version_before"], "2.0.11");
    EXPECT_EQ(report["version_after"], "2.0.13(g)");
    EXPECT_EQ(report["outcome"], "upgraded");
}

}  // namespace
}  // namespace voq::test
