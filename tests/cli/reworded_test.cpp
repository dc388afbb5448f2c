// The command-line program built with the screens' captions reworded: its JSON, exit
// status and progress lines come from what happened, not from what a caption says.

#include <nlohmann/json.hpp>

#include "cli_fixture.h"

namespace voq::test {
namespace {

using Reworded = CliTest;

CliRun run_reworded(const std::vector<std::string>& arguments)
{
    return run_cli(arguments, {}, 90000, "", VOQ_CLI_REWORDED);
}

TEST_F(Reworded, AnUpgradeReportsTheSameCountsPortVersionsStatusAndProgress)
{
    const auto device = start_device();
    const CliRun run = run_reworded(arguments({"--yes", "--json", "--verbose"}));
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 0) << run.err;
    const auto report = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.out;
    EXPECT_EQ(report["outcome"], "upgraded");
    EXPECT_EQ(report["bytes"], target.size());
    EXPECT_EQ(report["port"], 69);
    EXPECT_EQ(report["version_before"], "2.0.12(SE)");
    EXPECT_EQ(report["version_after"], "2.0.13(g)");
    // The build is what it claims to be: the person read the new words.
    EXPECT_EQ(report["message"], "Done: VOQ@" + device_address() + " runs its new firmware");
    EXPECT_NE(run.err.find("Talking to VOQ@" + device_address()), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" tftp: target image sent in "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("restart wait took "), std::string::npos) << run.err;
    // The progress lines keep their counts; without a terminal each phase has its first.
    const std::string total = std::to_string(target.size());
    EXPECT_NE(run.err.find("Uploading Target Firmware to VOQ@" + device_address() + ": 512 of " + total + " bytes"),
              std::string::npos);
    EXPECT_NE(run.err.find("Updating Target Firmware to VOQ@" + device_address() + ": waiting for the restart, "),
              std::string::npos);
}

// The failures that share a text with another, each still with its own status.
TEST_F(Reworded, FailuresAfterTheTransferKeepTheirStatus)
{
    const struct {
        const char* name;
        void (*configure)(sim::DeviceConfig&);
        int status;
        const char* outcome;
    } cases[] = {
        {"version not matching", [](sim::DeviceConfig& c) { c.tftp.faults.reported_version = "2.0.9"; }, 6,
         "version-mismatch"},
        {"gone after the restart", [](sim::DeviceConfig& c) { c.tftp.restart_ms = 120000; }, 8,
         "no-answer-after-restart"},
    };
    // Each case a device address of its own, beside the pair's.
    unsigned other = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::DeviceConfig config = quick_device();
        c.configure(config);
        const auto device = start_device(config, other);
        const CliRun run = run_reworded(
            {"--local-address", pc(), "--restart-wait", "1.5", "--yes", "--json", device_address(other++)});
        EXPECT_EQ(run.status, c.status) << run.err;
        const auto report = nlohmann::json::parse(run.out, nullptr, false);
        ASSERT_TRUE(report.is_object()) << run.out;
        EXPECT_EQ(report["outcome"], c.outcome);
        EXPECT_EQ(report["bytes"], target.size());
    }
}

}  // namespace
}  // namespace voq::test
