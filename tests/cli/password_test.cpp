// A protected device: the password from a file, from the environment, and typed at a
// prompt on a terminal, which asks again when the device refuses it.

#include "cli_fixture.h"

namespace voq::test {
namespace {

class Password : public CliTest {
protected:
    std::unique_ptr<sim::SimulatedDevice> protected_device()
    {
        sim::DeviceConfig config = quick_device();
        config.web.digest.enabled = true;
        config.web.digest.user = "root";
        config.web.digest.password = "pa55 word";
        config.web.digest.qop = "auth";
        return start_device(config);
    }

    void expect_upgraded(const sim::SimulatedDevice& device)
    {
        const auto fetches = device.fetches();
        ASSERT_EQ(fetches.size(), 1u);
        EXPECT_TRUE(fetches[0].bytes == target);
    }
};

TEST_F(Password, FromAFile)
{
    const auto device = protected_device();
    const CliRun run =
        run_cli(arguments({"--yes", "--user", "root", "--password-file", write_file("password", "pa55 word\r\n")}));
    EXPECT_EQ(run.status, 0) << run.err;
    expect_upgraded(*device);
}

TEST_F(Password, FromTheEnvironmentNeverInTheVerboseTrace)
{
    const auto device = protected_device();
    const CliRun run =
        run_cli(arguments({"--yes", "--user", "root", "--verbose"}), {{{"VOQ_UPGRADE_PASSWORD", "pa55 word"}}});
    EXPECT_EQ(run.status, 0) << run.err;
    expect_upgraded(*device);
    // The trace: addresses dotted, the request signed, its Digest response hidden.
    EXPECT_NE(run.err.find(" http: request from " + pc() + ":23456 to " + device_address() + ":80\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("Authorization: Digest username=\"root\""), std::string::npos);
    EXPECT_NE(run.err.find("response=\"(hidden)\""), std::string::npos);
    EXPECT_NE(run.err.find(" tftp: target image sent in "), std::string::npos);
    EXPECT_NE(run.err.find("restart wait took "), std::string::npos);
    EXPECT_EQ(run.err.find("pa55"), std::string::npos);
    EXPECT_EQ(run.out.find("pa55"), std::string::npos);
    for (const auto& request : device->web().requests()) {
        const std::size_t at = request.authorization.find("response=\"");
        if (at == std::string::npos) continue;
        const std::string response = request.authorization.substr(at + 10, 32);
        EXPECT_EQ(run.err.find(response), std::string::npos) << "the Digest response was printed";
    }
}

TEST_F(Password, TypedAtThePromptWithoutEchoAndAskedAgainWhenRefused)
{
    const auto device = protected_device();
    const std::string prompt = "Password for root on VOQ@" + device_address() + ": ";
    const CliRun run = run_cli_on_terminal(arguments({"--user", "root"}), {
                                                                              {"[y/N] ", "y"},
                                                                              {prompt, "first guess"},
                                                                              {prompt, "pa55 word"},
                                                                              {"Upgrade? [y/N] ", "y"},
                                                                          });
    EXPECT_EQ(run.status, 0) << run.out;
    expect_upgraded(*device);
    EXPECT_NE(run.out.find("The VOQ refused the password."), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("first guess"), std::string::npos) << "echoed";
    EXPECT_EQ(run.out.find("pa55"), std::string::npos) << "echoed";
    // On a terminal the upload is one line redrawn.
    EXPECT_NE(run.out.find("\rUploading Target Firmware to VOQ@" + device_address() + ": "), std::string::npos);
}

TEST_F(Password, ThePromptAsksThreeTimesAtMostCtrlCCancelsItAndCtrlDGivesNone)
{
    const auto device = protected_device();
    const std::string prompt = "Password for root on VOQ@" + device_address() + ": ";
    const CliRun run = run_cli_on_terminal(arguments({"--user", "root", "--yes"}),
                                           {{prompt, "one"}, {prompt, "two"}, {prompt, "three"}, {prompt, "four"}});
    EXPECT_EQ(run.status, 3) << run.out;
    EXPECT_NE(run.out.find("Upgrade Failed: Password refused by VOQ"), std::string::npos) << run.out;
    EXPECT_TRUE(device->web().upgrade_requests().empty());

    // Ctrl+C at the prompt is its Cancel.
    const CliRun interrupted = run_cli_on_terminal(arguments({"--user", "root", "--yes"}), {{prompt, "\x03"}});
    EXPECT_EQ(interrupted.status, 130) << interrupted.out;
    EXPECT_NE(interrupted.out.find(prompt + "\r\nUpgrade Failed: User Abort"), std::string::npos) << interrupted.out;
    EXPECT_TRUE(device->web().upgrade_requests().empty());

    const CliRun ended = run_cli_on_terminal(arguments({"--user", "root", "--yes"}), {{prompt, "\x04"}});
    EXPECT_EQ(ended.status, 3) << ended.out;
    EXPECT_NE(ended.out.find(prompt + "\r\nUpgrade Failed: VOQ requires a password, and none was typed at the prompt"),
              std::string::npos)
        << ended.out;
}

TEST_F(Password, NoAtTheConfirmationSendsNoUpgradeRequest)
{
    const auto device = start_device();
    const CliRun run = run_cli_on_terminal(arguments(), {{"[y/N] ", "y"}, {"Upgrade? [y/N] ", "n"}});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(
        run.out.find(
            "Not upgraded: the upgrade was not confirmed, so neither the upgrade request nor the firmware was sent"),
        std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("User Abort"), std::string::npos) << run.out;
    EXPECT_TRUE(device->web().upgrade_requests().empty());
}

}  // namespace
}  // namespace voq::test
