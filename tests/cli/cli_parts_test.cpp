// The command-line program's pure parts: what it makes of the core's texts, of its
// files, and of the outcomes.

#include <gtest/gtest.h>

#include "frontends/cli/command_line/help_text.h"
#include "frontends/cli/command_line/options.h"
#include "frontends/cli/fleet/devices_file.h"
#include "frontends/cli/fleet/fleet.h"
#include "frontends/cli/run/exit_status.h"
#include "frontends/cli/run/failure_message.h"
#include "frontends/cli/run/record_json.h"
#include "frontends/cli/terminal/credentials.h"
#include "frontends/cli/terminal/interruption.h"
#include "frontends/cli/terminal/progress_line.h"
#include "session/messages.h"
#include "ui/texts.h"
#include "ui/views.h"

namespace voq::cli {
namespace {

TEST(ProgressLines, TheirHeadsAreTheProgramsOwn)
{
    EXPECT_EQ(uploading_line(uploading_head(false, "10.1.0.13"), {367458, 734916}, 1000),
              "Uploading Target Firmware to VOQ@10.1.0.13: 367458 of 734916 bytes,  50%, 367 kB/s");
    EXPECT_EQ(restart_line(updating_head(true, "10.1.0.13"), 300, 937),
              "Updating Transition Firmware to VOQ@10.1.0.13: waiting for the restart, 20 s left");
}

TEST(DevicesFile, ReadsAddressUserAndPasswordFile)
{
    const DevicesList list =
        parse_devices("# site A\n10.0.0.2\r\n  10.0.0.3 root  # a comment\n\n10.0.0.4 op /etc/pw\n", "admin");
    ASSERT_EQ(list.problem, "");
    ASSERT_EQ(list.devices.size(), 3u);
    EXPECT_EQ(list.devices[0].address, 0x0a000002u);
    EXPECT_EQ(list.devices[0].user, "admin");
    EXPECT_EQ(list.devices[1].user, "root");
    EXPECT_EQ(list.devices[1].line, 3u);
    EXPECT_EQ(list.devices[2].password_file, "/etc/pw");
}

TEST(DevicesFile, NamesTheFirstBadLine)
{
    const struct {
        const char* contents;
        const char* problem;
    } cases[] = {
        {"10.0.0.2\n10.0.0\n", "line 2: not an IPv4 address: 10.0.0"},
        {"10.0.0.2 a b c\n", "line 1: more than ADDRESS USER PASSWORD-FILE"},
        {"#\n\n10.0.0.2\n10.0.0.2 root\n", "line 4: 10.0.0.2 is listed already on line 3"},
        {"0.0.0.0\n", "line 1: not a device's address: 0.0.0.0"},
        {"\xEF\xBB\xBF"
         "10.0.0.2\r\n10.0.0.2\r\n",
         "line 2: 10.0.0.2 is listed already on line 1"},
        {"10.0.0.2\n10.0.0.010\n", "line 2: not an IPv4 address: 10.0.0.010"},
        {"224.0.0.1\n", "line 1: a multicast address, not a device's: 224.0.0.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.contents);
        const DevicesList list = parse_devices(c.contents, "admin");
        EXPECT_EQ(list.problem, c.problem);
        EXPECT_TRUE(list.devices.empty());
    }
}

TEST(HelpText, EntriesWrapBesideOrBelowTheirLabel)
{
    const struct {
        const char* label;
        const char* text;
        std::size_t width, column;
        const char* entry;
    } cases[] = {
        {"-y, --yes", "accept it", 40, 14, "  -y, --yes   accept it\n"},
        {"--log FILE", "append the log to FILE", 25, 14, "  --log FILE  append the\n              log to FILE\n"},
        {"--request-timeout", "seconds", 40, 14, "  --request-timeout\n              seconds\n"},
        {"-q", "a-word-longer-than-the-room", 20, 6, "  -q  a-word-longer-than-the-room\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(list_entry(c.label, c.text, c.width, c.column), c.entry) << c.label;
}

TEST(FirstLine, WithoutItsLineEnd)
{
    EXPECT_EQ(first_line("secret\r\nignored"), "secret");
    EXPECT_EQ(first_line(""), "");
}

TEST(OutcomeOfFailure, EachFailureCodeHasItsStatus)
{
    using session::Failure;
    const struct {
        Failure failure;
        int status;
    } cases[] = {
        {Failure::winsock_init, 9},
        {Failure::firmware_missing, 9},
        {Failure::no_response, 2},
        {Failure::no_response_after_restart, 8},
        {Failure::user_abort, 130},
        {Failure::password_not_given, 130},
        {Failure::upgrade_declined, 130},
        {Failure::cannot_open_http_socket, 9},
        {Failure::cannot_bind_http_socket, 9},
        {Failure::cannot_allocate_listener, 4},
        {Failure::cannot_create_listener_socket, 4},
        {Failure::cannot_bind_listener_socket, 4},
        {Failure::cannot_start_listener, 4},
        {Failure::cannot_allocate_session, 9},
        {Failure::upload_incomplete, 5},
        {Failure::version_mismatch, 6},
    };
    static_assert(std::size(cases) == session::failure_table.size(), "every code has its case");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(session::failure_name(c.failure)));
        EXPECT_EQ(exit_status_of(outcome_of_failure(c.failure)), c.status);
    }
}

TEST(FailureMessage, AMismatchNamesBothVersionsAndOtherFailuresKeepTheCoresWords)
{
    using session::Failure;
    const record::VersionsFact versions{"2.0.16(SE)", "2.0.9"};
    const struct {
        Failure failure;
        std::optional<record::VersionsFact> versions;
        std::string message;
    } cases[] = {
        {Failure::version_mismatch, versions,
         "Upgrade Failed: Version not matching: expected \"2.0.16(SE)\", VOQ reports \"2.0.9\""},
        {Failure::version_mismatch, record::VersionsFact{"2.0.16(SE)", ""},
         "Upgrade Failed: Version not matching: expected \"2.0.16(SE)\", VOQ reports \"\""},
        {Failure::version_mismatch, std::nullopt, "Upgrade Failed: Version not matching"},
        {Failure::no_response_after_restart, versions, "Upgrade Failed: No Response From VOQ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const std::string_view core = session::failure_text(c.failure);
        EXPECT_EQ(failure_message(c.failure, core, {c.versions}), c.message);
    }
}

TEST(InterruptedMessage, AfterDeliverySaysTheDeviceRestartsOnTheFirmware)
{
    const struct {
        std::string_view message;
        bool delivered;
        std::string said;
    } cases[] = {
        {session::message::user_abort, false, "Upgrade Failed: User Abort"},
        {session::message::user_abort, true,
         "Upgrade Failed: User Abort after the firmware was delivered: VOQ@10.1.0.13 restarts on it; check its version "
         "on its status page"},
        {"Upgrade Failed: Terminated (SIGTERM)", true,
         "Upgrade Failed: Terminated (SIGTERM) after the firmware was delivered: VOQ@10.1.0.13 restarts on it; check its "
         "version on its status page"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        EXPECT_EQ(interrupted_message(c.message, c.delivered, "10.1.0.13"), c.said);
    }
}

TEST(NoRequestMessage, ARefusedUpgradeRequestComesFirst)
{
    const std::string_view waited = "Upgrade Failed: No Firmware Download Request From VOQ";
    const struct {
        std::string answer;
        bool success;
        std::string said;
    } cases[] = {
        {"HTTP/1.1 503 Service Unavailable", false,
         "Upgrade Failed: VOQ answered the upgrade request with \"HTTP/1.1 503 Service Unavailable\" and never asked for "
         "the firmware"},
        {"HTTP/1.0 404 Not Found", false,
         "Upgrade Failed: VOQ answered the upgrade request with \"HTTP/1.0 404 Not Found\" and never asked for the firmware"},
        {"HTTP/1.1 200 OK", true, std::string(waited)},
        {"HTTP/1.1 204", true, std::string(waited)},
        {"", false, std::string(waited)},  // no answer came
        {"garbage", false,
         "Upgrade Failed: VOQ answered the upgrade request with \"garbage\" and never asked for the firmware"},
        {"HTTP/1.1 2x0 Odd", false,
         "Upgrade Failed: VOQ answered the upgrade request with \"HTTP/1.1 2x0 Odd\" and never asked for the firmware"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        record::Exchange upgrade{record::RequestKind::upgrade_request, "GET /admin/upgrade?x HTTP/1.1"};
        upgrade.answered = !c.answer.empty();
        upgrade.status_line = c.answer;
        upgrade.status_code = record::status_code(c.answer);
        EXPECT_EQ(upgrade.status_code >= 200 && upgrade.status_code <= 299, c.success);
        EXPECT_EQ(no_request_message(waited, upgrade.answered ? &upgrade : nullptr), c.said);
    }
}

TEST(RecordJson, ReadsBackWhatItWrote)
{
    RunRecord record;
    record.device = "10.0.0.2";
    record.product = "VOQ-3300 \xe4";  // a device's Latin-1 byte
    record.bytes = 734916;
    record.delivered = true;
    record.upgrade_answer = "HTTP/1.1 503 Service Unavailable";
    record.seconds = 12.3456;
    record.outcome = Outcome::version_mismatch;
    record.message = "Upgrade Failed: Version not matching";
    const std::string line = record_json(record);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const auto back = parse_record_json(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->product, "VOQ-3300 \xc3\xa4");
    EXPECT_EQ(back->bytes, 734916u);
    EXPECT_TRUE(back->delivered);
    EXPECT_EQ(back->upgrade_answer, "HTTP/1.1 503 Service Unavailable");
    EXPECT_DOUBLE_EQ(back->seconds, 12.346);
    EXPECT_EQ(back->outcome, Outcome::version_mismatch);
    for (const char* bad : {"", "[]", "{\"device\":1}", "{", "not json"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(parse_record_json(bad));
    }
}

TEST(FleetStatus, ZeroOnlyWhenEveryDeviceWasUpgraded)
{
    std::vector<RunRecord> records(3);
    EXPECT_EQ(fleet_status(records), 0);
    records[2].outcome = Outcome::no_request;
    records[1].outcome = Outcome::password;
    EXPECT_EQ(fleet_status(records), 3);
    EXPECT_EQ(fleet_status({}), 0);
}

TEST(RestartWaitMs, ByDefaultTheDesktopProgramsWait)
{
    EXPECT_EQ(restart_wait_ms(Options{}.restart_wait_s), session::settings::restart_wait_ms);
    EXPECT_EQ(restart_wait_ms(0), 0u);
    EXPECT_EQ(restart_wait_ms(1.5), 1500u);
}

}  // namespace
}  // namespace voq::cli
