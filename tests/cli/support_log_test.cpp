// voq-upgrade-cli --log: the support log the desktop programs keep, from a real run
// against the simulated device.

#include <csignal>
#include <sys/stat.h>

#include "cli_fixture.h"
#include "support/files.h"

namespace voq::test {
namespace {

class SupportLogRun : public CliTest {
protected:
    std::string log_path(const std::string& name) { return write_file(name, ""); }
};

TEST_F(SupportLogRun, ARefusedConnectionNamesTheDeviceAndTheSystemsReason)
{
    const std::string log = log_path("refused.log");
    std::remove(log.c_str());  // made by the run, under the umask the tests run with
    const ::mode_t umask = ::umask(022);
    const CliRun run = run_cli(arguments({"--yes", "--log", log}));  // nothing listens there
    ::umask(umask);
    EXPECT_EQ(run.status, 2) << run.err;
    struct stat made {};
    ASSERT_EQ(::stat(log.c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0600u) << "it names the user, the PC and the device";
    const std::string text = read_file(log);
    EXPECT_NE(text.find("voq-upgrade-cli "), std::string::npos) << text;
    EXPECT_NE(text.find("PC address " + pc() + ", device " + device_address()), std::string::npos) << text;
    EXPECT_NE(text.find("HTTP connect to " + device_address() + ":80 failed: Connection refused"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Failure no-response: Upgrade Failed: No Response From VOQ"), std::string::npos) << text;
    EXPECT_NE(text.find("Shown: Upgrade Failed: No Response From VOQ"), std::string::npos) << text;
}

TEST_F(SupportLogRun, HoldsTheRunButNeverThePasswordNorADigestResponse)
{
    sim::DeviceConfig config = quick_device();
    config.web.digest.enabled = true;
    config.web.digest.user = "root";
    config.web.digest.password = "Zebra-7-Quokka";
    config.web.digest.qop = "auth";
    const auto device = start_device(config);
    const std::string log = log_path("secret.log");
    const CliRun run =
        run_cli(arguments({"--yes", "--user", "root", "--log", log}), {{{"VOQ_UPGRADE_PASSWORD", "Zebra-7-Quokka"}}});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string text = read_file(log);
    const std::vector<std::string> steps{"Answer: HTTP/1.1 401",
                                         "Authorization: Digest username=\"root\"",
                                         "Answer: HTTP/1.1 200",
                                         "Phase: waiting for the read request",
                                         "TFTP listening on " + pc() + ":69",
                                         "TFTP read request from " + device_address() + ":",
                                         "Transfer complete: blocks 1-",
                                         "Phase: waiting for the restart",
                                         "Version expected 2.0.13(g), reported 2.0.13(g)",
                                         "Shown: VOQ@" + device_address() + " Upgrade Successful!"};
    for (const std::string& step : steps) {
        EXPECT_NE(text.find(step), std::string::npos) << step << "\n" << text;
    }
    EXPECT_EQ(text.find("Zebra"), std::string::npos) << text;
    EXPECT_EQ(text.find("Quokka"), std::string::npos);
    EXPECT_EQ(text.find("14 characters"), std::string::npos);
    for (const auto& request : device->web().requests()) {
        const std::size_t at = request.authorization.find("response=\"");
        if (at == std::string::npos) continue;
        EXPECT_EQ(text.find(request.authorization.substr(at + 10, 32)), std::string::npos) << "a Digest response";
    }
}

// Killed outright, with no chance to tidy up: what it reached is in the log.
TEST_F(SupportLogRun, ARunKilledWhileWaitingLeavesALogThatReachesTheWaiting)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.never_request = true;
    const auto device = start_device(config);
    const std::string log = log_path("killed.log");
    const pid_t child = start_cli(arguments({"--yes", "--log", log}));
    ASSERT_GE(child, 0);
    const std::uint32_t started = platform::milliseconds();
    while (read_file(log).find("Phase: waiting for the read request") == std::string::npos &&
           platform::milliseconds() - started < 30000)
        platform::sleep_milliseconds(10);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string text = read_file(log);
    EXPECT_NE(text.find("TFTP listening on " + pc() + ":69"), std::string::npos) << text;
    EXPECT_NE(text.find("Phase: waiting for the read request"), std::string::npos) << text;
}

}  // namespace
}  // namespace voq::test
