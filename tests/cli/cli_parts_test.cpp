// The command-line program's pure parts: what it makes of the core's texts, of its
// files, and of the outcomes.

#include <gtest/gtest.h>

#include "frontends/cli/credentials.h"
#include "frontends/cli/devices_file.h"
#include "frontends/cli/exit_status.h"
#include "frontends/cli/fleet.h"
#include "frontends/cli/hints.h"
#include "frontends/cli/options.h"
#include "frontends/cli/progress_line.h"
#include "frontends/cli/record_json.h"
#include "frontends/cli/trace_lines.h"
#include "session/messages.h"
#include "ui/texts.h"
#include "ui/views.h"

namespace voq::cli {
namespace {

TEST(ReadableTraceLines, DotsTheCoresAddressesAndNothingElse)
{
    const struct {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"HTTP 7f000001:23456 to 7f00d202:80", {"HTTP 127.0.0.1:23456 to 127.0.210.2:80"}},
        {"Client IP = c0a80105\n", {"Client IP = 192.168.1.5"}},
        {"Unknown source request in session: a000002:4711", {"Unknown source request in session: 10.0.0.2:4711"}},
        {"HTTP connect to 7f000002:80 failed: Connection refused\n", {"HTTP connect to 127.0.0.2:80 failed: Connection refused"}},
        {"HTTP bind 7f000001:23456-23556 failed: Address already in use\n",
         {"HTTP bind 127.0.0.1:23456-23556 failed: Address already in use"}},
        {"TFTP listening on 7f000001:69\n", {"TFTP listening on 127.0.0.1:69"}},
        // An answer's clock and a block count stay as they are.
        {"HTTP/1.1 200 OK\r\nDate: 12:30:45\r\n\r\n", {"HTTP/1.1 200 OK", "Date: 12:30:45"}},
        {"Send block 12 (512)\n", {"Send block 12 (512)"}},
        {"\n", {}},
        {"a\x01" "b\tc\x1b[2J", {"ab\tc[2J"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(readable_trace_lines(c.text), c.lines);
    }
}

TEST(ReadableTraceLines, HidesTheDigestResponseOnly)
{
    const std::string request =
        "GET /admin/advanced HTTP/1.1\r\nHost: 10.0.0.2\r\nAuthorization: Digest username=\"admin\", realm=\"VOQ Device\", "
        "nonce=\"abc\", uri=\"/admin/advanced\", response=\"0123456789abcdef0123456789abcdef\", qop=auth, nc=00000001, "
        "cnonce=\"x\"\r\n\r\n";
    const auto lines = readable_trace_lines(request);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "Authorization: Digest username=\"admin\", realm=\"VOQ Device\", nonce=\"abc\", "
                        "uri=\"/admin/advanced\", response=\"(hidden)\", qop=auth, nc=00000001, cnonce=\"x\"");
    EXPECT_EQ(readable_trace_lines("Authentication-Info: rspauth=\"77\"")[0], "Authentication-Info: rspauth=\"77\"");
    EXPECT_EQ(readable_trace_lines("x response=\"unterminated")[0], "x response=\"(hidden)");
}

TEST(ListeningPort, ReadsTheListenersLineAlone)
{
    EXPECT_EQ(listening_port("TFTP listening on 7f000001:69\n"), 69u);
    EXPECT_EQ(listening_port("TFTP listening on 7f000001:10070"), 10070u);
    EXPECT_EQ(listening_port("TFTP listening on 7f000001:70000"), 0u);
    EXPECT_EQ(listening_port("HTTP 7f000001:23456 to 7f000002:80"), 0u);
}

TEST(UploadedBytes, FromTheUploadingCaption)
{
    const auto count = uploaded_bytes("Uploading Target Firmware to VOQ@10.1.0.13 512/734916 Bytes");
    ASSERT_TRUE(count);
    EXPECT_EQ(count->done, 512u);
    EXPECT_EQ(count->total, 734916u);
    // Whatever the caption's format becomes, the counts are read from what the core shows.
    const auto shown = uploaded_bytes(ui::uploading_caption(ui::text::transition_role, "192.0.2.2", 1024, 730800));
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->done, 1024u);
    EXPECT_EQ(shown->total, 730800u);
    for (const char* other : {"Uploading Firmware To VOQ", "Updating Target Firmware to VOQ@10.1.0.13",
                              "Uploading Target Firmware to VOQ@x 9/8 Bytes", "Uploading x /5 Bytes", "Uploading x 1/ Bytes"}) {
        SCOPED_TRACE(other);
        EXPECT_FALSE(uploaded_bytes(other));
    }
    EXPECT_EQ(uploading_line("Uploading Target Firmware to VOQ@10.1.0.13 367458/734916 Bytes", {367458, 734916}, 1000),
              "Uploading Target Firmware to VOQ@10.1.0.13: 367458 of 734916 bytes,  50%, 367 kB/s");
    EXPECT_EQ(restart_line("Updating Target Firmware to VOQ@10.1.0.13", 300, 937),
              "Updating Target Firmware to VOQ@10.1.0.13: waiting for the restart, 20 s left");
}

TEST(DevicesFile, ReadsAddressUserAndPasswordFile)
{
    const DevicesList list = parse_devices("# site A\n10.0.0.2\r\n  10.0.0.3 root  # a comment\n\n10.0.0.4 op /etc/pw\n", "admin");
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
        {"\xEF\xBB\xBF" "10.0.0.2\r\n10.0.0.2\r\n", "line 2: 10.0.0.2 is listed already on line 1"},
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

TEST(Latin1Credential, AsTheDesktopProgramWouldSendIt)
{
    EXPECT_EQ(latin1_credential("admin"), "admin");
    EXPECT_EQ(latin1_credential("p\xc3\xa4ss"), "p\xe4ss");       // ä as one byte
    EXPECT_EQ(latin1_credential("p\xe4ss"), "p\xe4ss");           // not UTF-8: bytes already
    EXPECT_EQ(latin1_credential("\xc0\xaf"), "\xc0\xaf");         // overlong: not UTF-8 either
    EXPECT_FALSE(latin1_credential("\xe2\x82\xac"));               // € has no Latin-1 byte
    EXPECT_EQ(first_line("secret\r\nignored"), "secret");
    EXPECT_EQ(first_line(""), "");
}

TEST(OutcomeOfMessage, EachCoreMessageHasItsStatus)
{
    namespace m = session::message;
    const struct {
        std::string_view message;
        bool after_transfer;
        int status;
    } cases[] = {
        {m::no_response, false, 2},          {m::no_response, true, 8},
        {m::cannot_bind_listener_socket, false, 4}, {m::cannot_create_listener_socket, false, 4},
        {m::upload_incomplete, true, 5},     {m::version_mismatch, true, 6},
        {m::user_abort, false, 130},         {m::cannot_bind_http_socket, false, 9},
        {m::firmware_missing, false, 9},     {"anything else", true, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(exit_status_of(outcome_of_message(c.message, c.after_transfer)), c.status);
    }
}

TEST(RecordJson, ReadsBackWhatItWrote)
{
    RunRecord record;
    record.device = "10.0.0.2";
    record.product = "VOQ-3300 \xe4";  // a device's Latin-1 byte
    record.bytes = 734916;
    record.seconds = 12.3456;
    record.outcome = Outcome::version_mismatch;
    record.message = "Upgrade Failed: Version not matching";
    const std::string line = record_json(record);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const auto back = parse_record_json(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->product, "VOQ-3300 \xc3\xa4");
    EXPECT_EQ(back->bytes, 734916u);
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

TEST(LikelyCauses, SaysWhenTheDeviceIsOffThePcsSubnet)
{
    const HintFacts off{0x0a000005, 0x0a000107, 0xffffff00, 69};
    const auto causes = likely_causes(Outcome::no_request, off);
    ASSERT_GE(causes.size(), 3u);
    EXPECT_NE(causes[1].find("10.0.1.7 is NOT on the subnet of the PC address 10.0.0.5, 10.0.0.0/24 (netmask 255.255.255.0)"),
              std::string::npos)
        << causes[1];
    const HintFacts moved{0x0a000005, 0x0a000007, 0xffffff00, 71};
    EXPECT_NE(likely_causes(Outcome::no_request, moved)[2].find("Another program holds UDP port 69"), std::string::npos);
    EXPECT_TRUE(likely_causes(Outcome::version_mismatch, moved).empty());
}

TEST(RestartWaitMs, ByDefaultTheDesktopProgramsWait)
{
    EXPECT_EQ(restart_wait_ms(Options{}.restart_wait_s), session::settings::restart_wait_ms);
    EXPECT_EQ(restart_wait_ms(0), 0u);
    EXPECT_EQ(restart_wait_ms(1.5), 1500u);
}

}  // namespace
}  // namespace voq::cli
