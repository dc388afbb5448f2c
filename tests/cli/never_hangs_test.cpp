// voq-upgrade-cli in the hands of a script: it never hangs, never dies half-way, and
// leaves a result for every device, whatever the device, the input or the signals do.

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <sys/socket.h>
#include <termios.h>

#include <algorithm>
#include <sstream>

#include "cli_fixture.h"
#include "json_schema.h"
#include "support/files.h"

namespace voq::test {
namespace {

using NeverHangs = CliTest;

void expect_schema(const nlohmann::json& object)
{
    const auto problems = schema_problems(program_schema(), object);
    EXPECT_TRUE(problems.empty()) << object.dump() << "\n" << (problems.empty() ? "" : problems.front());
}

// A device that takes the connection and then says nothing: a listening socket that is
// never read.
int silent_listener(std::uint32_t address) { return listening_on_port_80(address); }

TEST_F(NeverHangs, ADeviceThatNeverAnswersEndsWithTwoNamingTheRequest)
{
    const int listener = silent_listener(pair().device);
    const std::string log = write_file("silent.log", "");
    std::remove(log.c_str());
    const CliRun run = run_cli(arguments({"--yes", "--json", "--http-timeout", "1", "--log", log}), {}, 20000);
    ::close(listener);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 2) << run.err;
    const std::string message =
        "Upgrade Failed: No answer from VOQ to the status page request (GET /admin/advanced) within 1 s (--http-timeout)";
    EXPECT_NE(run.err.find(message + "\n"), std::string::npos) << run.err;
    // Its likely cause is the silence itself, not a firewall for a TFTP request never made.
    EXPECT_NE(run.err.find("Likely causes:\n  - The device at " + device_address() +
                           " accepted the connection but sent no answer within "
                           "--http-timeout"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("firewall"), std::string::npos) << run.err;
    const auto report = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.out;
    EXPECT_EQ(report["outcome"], "no-response");
    EXPECT_EQ(report["message"], message);
    // The support log ends with the same causes, although the core saw only a Cancel.
    std::vector<std::string> logged;
    std::istringstream lines(read_file(log));
    for (std::string line; std::getline(lines, line);)
        if (const std::size_t at = line.find("Likely cause: "); at != std::string::npos)
            logged.push_back(line.substr(at + 14));
    EXPECT_EQ(logged, report["likely_causes"].get<std::vector<std::string>>());
    EXPECT_FALSE(logged.empty());
    EXPECT_TRUE(report["product"].is_null());
    EXPECT_TRUE(report["port"].is_null());
    expect_schema(report);
}

// SIGTERM and SIGHUP are Ctrl+C's siblings: the run is cancelled, its JSON written,
// and the status says which signal it was.
TEST_F(NeverHangs, SigtermAndSighupCancelWriteTheJsonAndSayWhich)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.never_request = true;
    const auto device = start_device(config);
    const struct {
        int signal;
        int status;
        const char* outcome;
        const char* message;
    } cases[] = {
        {SIGTERM, 143, "terminated", "Upgrade Failed: Terminated (SIGTERM)"},
        {SIGHUP, 129, "hung-up", "Upgrade Failed: Hung up (SIGHUP)"},
        {SIGINT, 130, "interrupted", "Upgrade Failed: User Abort"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outcome);
        const CliRun run = run_cli(arguments({"--yes", "--json"}), {}, 30000,
                                   "Waiting For Firmware Download Request From VOQ", VOQ_CLI, c.signal);
        ASSERT_FALSE(run.hung);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(std::string(c.message) + "\n"), std::string::npos) << run.err;
        const auto report = nlohmann::json::parse(run.out, nullptr, false);
        ASSERT_TRUE(report.is_object()) << run.out;
        EXPECT_EQ(report["outcome"], c.outcome);
        EXPECT_EQ(report["status"], c.status);
        EXPECT_EQ(report["version_before"], "2.0.12(SE)");
        EXPECT_EQ(report["delivered"], false);
        // The waiting screen opens while the upgrade request may still await its answer.
        EXPECT_TRUE(report["upgrade_answer"].is_null() || report["upgrade_answer"] == "HTTP/1.1 200 OK")
            << report["upgrade_answer"];
        expect_schema(report);
    }
}

// Ctrl+C while the device restarts: the firmware is already in it, and the run says so
// instead of leaving the device's state to be guessed.
TEST_F(NeverHangs, CtrlCAfterTheFirmwareWasDeliveredSaysSo)
{
    const auto device = start_device();
    const std::vector<std::string> options{"--local-address", pc(),     "--restart-wait", "30",
                                           "--yes",           "--json", device_address()};
    const CliRun run = run_cli(options, {}, 60000, "waiting for the restart");
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 130) << run.err;
    const auto report = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.out;
    EXPECT_EQ(report["outcome"], "interrupted");
    EXPECT_EQ(report["delivered"], true);
    EXPECT_EQ(report["bytes"], target.size());
    const std::string said = "Upgrade Failed: User Abort after the firmware was delivered: VOQ@" + device_address() +
                             " restarts on it; check its version on its status page";
    EXPECT_EQ(report["message"], said);
    EXPECT_NE(run.err.find(said + "\n"), std::string::npos) << run.err;
    expect_schema(report);
}

// A device busy with another upgrade answers 503: the run still waits for a request
// that may come, but then puts the device's answer first, not the firewall.
TEST_F(NeverHangs, ABusyDevicesAnswerComesFirst)
{
    sim::DeviceConfig config = quick_device();
    config.web.fault = sim::WebFault::busy_upgrade;
    const auto device = start_device(config);
    const CliRun run = run_cli(arguments({"--yes", "--json", "--quiet", "--request-timeout", "1"}), {}, 30000);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 7) << run.err;
    const std::string said =
        "Upgrade Failed: VOQ answered the upgrade request with \"HTTP/1.1 503 Service Unavailable\" and never asked for "
        "the firmware";
    const auto report = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.out;
    EXPECT_EQ(report["outcome"], "no-request");
    EXPECT_EQ(report["message"], said);
    EXPECT_EQ(report["upgrade_answer"], "HTTP/1.1 503 Service Unavailable");
    expect_schema(report);
    const std::size_t causes = run.err.find("Likely causes:\n  - The device refused the upgrade request");
    EXPECT_NE(causes, std::string::npos) << run.err;
    EXPECT_LT(run.err.find(said + "\n"), causes) << run.err;
}

// Standard output closed by its reader (`| head -1`): the upgrade goes on to the end,
// only the words are lost.
TEST_F(NeverHangs, AClosedStandardOutputDoesNotStopTheUpgrade)
{
    const auto device = start_device();
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(pipe_ends[1], 1);
        ::close(pipe_ends[0]);
        const int nothing = ::open("/dev/null", O_RDWR);
        ::dup2(nothing, 0);
        ::dup2(nothing, 2);
        detail::exec_cli(arguments({"--yes", "--verbose"}), {});
    }
    ::close(pipe_ends[1]);
    ::close(pipe_ends[0]);  // before the program has written a word
    CliRun run;
    detail::reap(child, platform::milliseconds(), 60000, run);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 0);
    const auto fetches = device->fetches();
    ASSERT_EQ(fetches.size(), 1u);
    EXPECT_TRUE(fetches[0].complete);
    EXPECT_TRUE(fetches[0].bytes == target);
}

// Whatever is wrong with the command line or the files it names ends with 1, a message
// that says what, and nothing sent to the device.
TEST_F(NeverHangs, BadInputIsAUsageErrorAndNothingIsSent)
{
    const auto simulated = start_device();
    const std::string device = device_address(), pc = this->pc();
    const std::string folder = "/tmp";
    const std::string empty = write_file("empty-password", "");
    const std::string empty_first_line = write_file("empty-first-line", "\nsecret\n");
    const std::string devices_with_folder = write_file("devices-folder-password", device + " admin /tmp\n");
    const auto dots_as = [&](char dot) {
        std::string text = device;
        std::replace(text.begin(), text.end(), '.', dot);
        return text;
    };
    const std::string zero_led = device.substr(0, device.rfind('.') + 1) + "02";
    const struct {
        std::vector<std::string> options;
        std::string said;
    } cases[] = {
        {{"--password-file", folder, device}, "the password file /tmp is not a regular file"},
        {{"--password-file", "/dev/zero", device}, "the password file /dev/zero is not a regular file"},
        {{"--password-file", empty, device}, "the password file " + empty + " is empty"},
        {{"--password-file", empty_first_line, device},
         "the first line of the password file " + empty_first_line + " is empty"},
        {{"--devices", folder}, "the devices file /tmp is not a regular file"},
        {{"--devices", devices_with_folder}, "line 1: the password file /tmp is not a regular file"},
        {{"--request-timeout", "nan", device}, "not a number of seconds from 0 to 86400: nan"},
        {{"--request-timeout", "inf", device}, "not a number of seconds from 0 to 86400: inf"},
        {{"--http-timeout", "1e999", device}, "not a number of seconds from 0 to 86400: 1e999"},
        {{"--restart-wait", "-nan", device}, "not a number of seconds from 0 to 3600: -nan"},
        {{zero_led}, "not an IPv4 address: " + zero_led},
        {{dots_as('*')}, "not an IPv4 address: " + dots_as('*')},
        {{dots_as(',')}, "not an IPv4 address: " + dots_as(',')},
        {{device + "."}, "not an IPv4 address: " + device + "."},
        {{"0.0.0.0"}, "not a device's address: 0.0.0.0"},
        {{"255.255.255.255"}, "a broadcast address, not a device's: 255.255.255.255"},
        {{"239.1.2.3"}, "a multicast address, not a device's: 239.1.2.3"},
        {{"127.255.255.255"}, "the broadcast address of the PC's subnet, not a device's: 127.255.255.255"},
        {{"-p", "Sw0rdf1sh", device}, "-p: the password is never an argument"},
        {{"--password", "Sw0rdf1sh", device}, "--password: the password is never an argument"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> options{"--yes", "--local-address", pc};
        options.insert(options.end(), c.options.begin(), c.options.end());
        SCOPED_TRACE(c.said);
        const CliRun run = run_cli(options, {}, 10000);
        ASSERT_FALSE(run.hung);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Sw0rdf1sh"), std::string::npos) << "the password was repeated";
    }
    // With --json the usage error is an object too.
    const CliRun run = run_cli({"--yes", "--json", "--request-timeout", "nan", device}, {}, 10000);
    EXPECT_EQ(run.status, 1);
    const auto report = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.out;
    EXPECT_EQ(report["outcome"], "usage");
    expect_schema(report);
    EXPECT_TRUE(simulated->web().requests().empty());
}

// SIGTERM to a list reaches every run under way: each reports what it reached, and
// the list ends with 143.
TEST_F(NeverHangs, AFleetsSignalEndsEveryRunUnderWay)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.never_request = true;
    const auto device = start_device(config);
    const std::string list = write_file("signalled-devices", device_address() + "\n");
    const std::vector<std::string> options{"--devices", list, "--yes", "--json", "--verbose", "--local-address", pc()};
    const CliRun run = run_cli(options, {}, 30000, "tftp: listening on", VOQ_CLI, SIGTERM);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 143) << run.err;
    const std::size_t second_line = run.out.find('\n') + 1;
    const auto report = nlohmann::json::parse(run.out.substr(0, second_line), nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.out;
    EXPECT_EQ(report["device"], device_address());
    EXPECT_EQ(report["outcome"], "terminated");
    EXPECT_EQ(report["version_before"], "2.0.12(SE)");
    expect_schema(report);
    // The list's JSON still ends with its summary.
    const auto summary = nlohmann::json::parse(run.out.substr(second_line), nullptr, false);
    expect_schema(summary);
    EXPECT_EQ(summary["summary"]["outcomes"], nlohmann::json({{"terminated", 1}})) << run.out;
    EXPECT_EQ(summary["summary"]["status"], 143);
}

// The list's password file serves every line that names none; what a device's run
// would find wrong is found before any starts.
TEST_F(NeverHangs, AFleetTakesTheSharedPasswordFileAndChecksFirst)
{
    sim::DeviceConfig config = quick_device();
    config.web.digest.enabled = true;
    config.web.digest.password = "s3cret";
    const auto device = start_device(config);
    const std::string list = write_file("protected-devices", "\xEF\xBB\xBF" + device_address() + "\r\n");
    const std::string password = write_file("shared-password", "s3cret\n");
    const std::string pc = this->pc();

    const CliRun refused =
        run_cli({"--devices", list, "--yes", "--json", "--local-address", "192.0.2.7", "--password-file", password});
    EXPECT_EQ(refused.status, 1) << refused.err;
    EXPECT_NE(refused.err.find("--local-address 192.0.2.7: "), std::string::npos) << refused.err;
    const auto usage = nlohmann::json::parse(refused.out, nullptr, false);
    ASSERT_TRUE(usage.is_object()) << refused.out;
    EXPECT_EQ(usage["outcome"], "usage");
    EXPECT_TRUE(device->web().requests().empty());

    const CliRun run = run_cli(
        {"--devices", list, "--yes", "--local-address", pc, "--restart-wait", "1.5", "--password-file", password}, {},
        60000);
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("1 device: 1 upgraded\n"), std::string::npos) << run.out;
    ASSERT_EQ(device->fetches().size(), 1u);
    EXPECT_TRUE(device->fetches()[0].bytes == target);

    // On a terminal: the question takes YES as the single run does, and a line counts the devices.
    const CliRun shown = run_cli_on_terminal(
        {"--devices", list, "--local-address", pc, "--restart-wait", "1.5", "--password-file", password},
        {{"[y/N] ", "YES"}});
    EXPECT_EQ(shown.status, 0) << shown.out;
    EXPECT_NE(shown.out.find("0 upgraded, 0 failed, 1 running, 0 waiting"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("1 device: 1 upgraded"), std::string::npos) << shown.out;
    EXPECT_EQ(device->fetches().size(), 2u);
}

// SIGTERM at the password prompt, while echo is off: the terminal gets its echo back.
TEST_F(NeverHangs, SigtermAtThePasswordPromptGivesTheTerminalItsEchoBack)
{
    sim::DeviceConfig config = quick_device();
    config.web.digest.enabled = true;
    config.web.digest.password = "s3cret";
    const auto device = start_device(config);
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) detail::exec_cli(arguments({"--yes"}), {});
    // The terminal's own side, held open so that its settings can be read after the program.
    const int own_side = ::open(::ptsname(terminal), O_RDWR | O_NOCTTY);
    ASSERT_GE(own_side, 0);
    std::string shown;
    const std::uint32_t started = platform::milliseconds();
    while (shown.find("Password for admin on VOQ@") == std::string::npos &&
           platform::milliseconds() - started < 20000) {
        pollfd watched{terminal, POLLIN, 0};
        if (::poll(&watched, 1, 50) <= 0) continue;
        char chunk[4096];
        const ssize_t got = ::read(terminal, chunk, sizeof chunk);
        if (got <= 0) break;
        shown.append(chunk, static_cast<std::size_t>(got));
    }
    ASSERT_NE(shown.find("Password for admin on VOQ@"), std::string::npos) << shown;
    termios during{};
    ::tcgetattr(own_side, &during);
    EXPECT_EQ(during.c_lflag & ECHO, 0u) << "echo was on at the prompt";
    ::kill(child, SIGTERM);
    CliRun run;
    detail::reap(child, started, 20000, run);
    termios after{};
    ::tcgetattr(own_side, &after);
    ::close(own_side);
    ::close(terminal);
    EXPECT_EQ(run.status, 143);
    EXPECT_NE(after.c_lflag & ECHO, 0u) << "echo left off";
    EXPECT_TRUE(device->web().upgrade_requests().empty());
}

// The JSON of a whole upgrade, as the schema in the repository describes it.
TEST_F(NeverHangs, TheJsonOfAnUpgradeMatchesTheSchema)
{
    const auto device = start_device();
    const CliRun run = run_cli(arguments({"--yes", "--json"}));
    EXPECT_EQ(run.status, 0) << run.err;
    const auto report = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_TRUE(report.is_object()) << run.out;
    expect_schema(report);
    // Without a terminal the transfer ends with one line: its bytes, seconds and rate.
    const std::string line =
        "Uploading Target Firmware to VOQ@" + device_address() + ": " + std::to_string(target.size()) + " bytes in ";
    EXPECT_NE(run.err.find(line), std::string::npos) << run.err;

    // On a terminal of 60 columns no drawing of the progress line reaches the last column,
    // where the terminal would wrap it and stack the lines.
    const CliRun shown = run_cli_on_terminal(arguments({"--yes"}), {}, 60000, 60);
    EXPECT_EQ(shown.status, 0) << shown.out;
    std::size_t longest = 0, drawings = 0;
    for (std::size_t start = 0; start < shown.out.size();) {
        const std::size_t end = shown.out.find_first_of("\r\n", start);
        const std::size_t length = (end == std::string::npos ? shown.out.size() : end) - start;
        // A drawing ends where the next one starts over it; a line (the transfer's last) ends
        // with the terminal's "\r\n".
        if (shown.out.compare(start, 10, "Uploading ") == 0 && end != std::string::npos &&
            shown.out.compare(end, 2, "\r\n") != 0) {
            longest = std::max(longest, length);
            ++drawings;
        }
        start = end == std::string::npos ? shown.out.size() : end + 1;
    }
    EXPECT_GT(drawings, 0u) << shown.out;
    EXPECT_LE(longest, 59u) << shown.out;
}

}  // namespace
}  // namespace voq::test
