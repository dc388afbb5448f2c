// The likely causes chosen from what a run went through, and the trace as an
// administrator reads it at each verbosity.

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <span>
#include <string>

#include "frontends/cli/hints.h"
#include "frontends/cli/trace_lines.h"
#include "platform/port_holder.h"

namespace voq::cli {
namespace {

constexpr std::uint32_t pc = 0x0a000005, device = 0x0a000007;

record::CallFailedFact refusal(record::Call call, std::uint16_t first, std::uint16_t last, int error,
                               const char* reason)
{
    return {call, call == record::Call::tftp_bind ? pc : device, first, last, error, reason};
}

HintFacts plain() { return {pc, device, 0xffffff00, 69, ""}; }

struct CauseCase {
    const char* name;
    Outcome outcome;
    HintFacts facts;
    std::vector<std::string> starts;  // each cause's beginning, in order
    std::vector<std::string> never;   // in no cause
};

std::vector<CauseCase> cause_cases()
{
    HintFacts refused = plain();
    refused.http_refusal = refusal(record::Call::http_connect, 80, 80, ECONNREFUSED, "Connection refused");
    HintFacts unanswered = plain();
    unanswered.http_unanswered = true;
    HintFacts unreachable = plain();
    unreachable.http_refusal = refusal(record::Call::http_connect, 80, 80, EHOSTUNREACH, "No route to host");
    HintFacts held = plain();
    held.tftp_port = 0;
    held.tftp_refusals = {refusal(record::Call::tftp_bind, 69, 168, EADDRINUSE, "Address already in use")};
    HintFacts held_as_root = held;
    held_as_root.root = true;
    HintFacts held_by = held;
    held_by.port_69_holder = "in.tftpd (process 321)";
    HintFacts unprivileged = plain();
    unprivileged.tftp_port = 0;
    unprivileged.tftp_refusals = {refusal(record::Call::tftp_bind, 69, 168, EACCES, "Permission denied"),
                                  refusal(record::Call::tftp_bind, 10069, 10168, EADDRINUSE, "Address already in use")};
    HintFacts untold = plain();
    untold.tftp_port = 0;
    HintFacts busy = plain();
    busy.upgrade_answer = "HTTP/1.1 503 Service Unavailable";
    HintFacts moved = plain();
    moved.tftp_port = 71;
    moved.port_69_holder = "dnsmasq (process 77)";
    HintFacts sibling = plain();
    sibling.tftp_port = 70;
    sibling.port_69_ours = true;
    HintFacts held_by_sibling = held;
    held_by_sibling.port_69_ours = true;
    HintFacts restarted_silent = plain();
    restarted_silent.http_unanswered = true;

    const std::vector<std::string> no_tftp{"TFTP", "firewall", "UDP"};
    const std::string capability = "On Linux, binding UDP port 69 needs root or the capability CAP_NET_BIND_SERVICE";
    return {
        {"RefusedConnectionIsNoFirewallMatter",
         Outcome::no_response,
         refused,
         {"Something at 10.0.0.7 refused the connection to port 80 (\"Connection refused\"): the address answers",
          "The device's address 10.0.0.7 may be wrong"},
         no_tftp},
        {"AcceptedButUnanswered",
         Outcome::no_response,
         unanswered,
         {"The device at 10.0.0.7 accepted the connection but sent no answer within --http-timeout",
          "The device's address 10.0.0.7 may be wrong"},
         no_tftp},
        {"Unreachable",
         Outcome::no_response,
         unreachable,
         {"This PC could not reach 10.0.0.7 (\"No route to host\")", "The device's address 10.0.0.7 may be wrong",
          "The PC address 10.0.0.5 and the device 10.0.0.7 are on the same subnet"},
         no_tftp},
        {"NothingToldOfTheConnection",
         Outcome::no_response,
         plain(),
         {"The device's address 10.0.0.7 may be wrong", "The PC address 10.0.0.5 and the device 10.0.0.7"},
         no_tftp},
        {"Port69HeldByANamedProgram",
         Outcome::tftp_port,
         held_by,
         {"in.tftpd (process 321) holds UDP port 69 on 10.0.0.5, and ports 70 to 168 are taken too (\"Address already in "
          "use\"): stop it",
          capability},
         {"firewall"}},
        {"Port69HeldByAnUnknownOne",
         Outcome::tftp_port,
         held,
         {"Another TFTP server (tftpd-hpa, dnsmasq, atftpd) holds UDP port 69 on 10.0.0.5", capability},
         {"firewall"}},
        {"NotPermittedAndTheFallbackTaken",
         Outcome::tftp_port,
         unprivileged,
         {capability, "Other programs hold UDP ports 10069 to 10168 on 10.0.0.5 (\"Address already in use\")",
          "Another TFTP server (tftpd-hpa, dnsmasq, atftpd) may hold UDP port 69"},
         {"firewall"}},
        {"Port69HeldWhileRunAsRoot",
         Outcome::tftp_port,
         held_as_root,
         {"Another TFTP server (tftpd-hpa, dnsmasq, atftpd) holds UDP port 69 on 10.0.0.5"},
         {"CAP_NET_BIND_SERVICE"}},
        {"BindRefusalsUntold",
         Outcome::tftp_port,
         untold,
         {"Another TFTP server (tftpd-hpa, dnsmasq, atftpd) may hold UDP port 69", capability},
         {"firewall"}},
        {"AfterACompletedTransfer",
         Outcome::no_answer_after_restart,
         plain(),
         {"The device may still be restarting: a slow device needs a longer --restart-wait",
          "The device may have come back at another address"},
         {"firewall", "subnet", "TFTP"}},
        {"AfterACompletedTransferUnanswered",
         Outcome::no_answer_after_restart,
         restarted_silent,
         {"The device accepted the connection after its restart but sent no answer",
          "The device may still be restarting", "The device may have come back at another address"},
         {"firewall", "subnet"}},
        {"BusyDeviceFirst",
         Outcome::no_request,
         busy,
         {"The device refused the upgrade request (\"HTTP/1.1 503 Service Unavailable\")", "A firewall on this PC",
          "The PC address 10.0.0.5", "Another TFTP server on this PC"},
         {}},
        {"OfferedElsewhereNamesWhoHolds69",
         Outcome::no_request,
         moved,
         {"A firewall on this PC", "The PC address 10.0.0.5",
          "dnsmasq (process 77) holds UDP port 69 (the firmware was "
          "offered on port 71)",
          "A telephone in use"},
         {}},
        {"OfferedElsewhereWhileASiblingRunHolds69",
         Outcome::no_request,
         sibling,
         {"A firewall on this PC", "The PC address 10.0.0.5", "A telephone in use"},
         {"holds UDP port 69", "voq-upgrade-cli"}},
        {"AllPortsHeldWithASiblingRunOn69",
         Outcome::tftp_port,
         held_by_sibling,
         {"Other programs hold UDP ports 69 to 168 on 10.0.0.5 (\"Address already in use\")", capability},
         {"TFTP server", "stop it"}},
        {"NoneForAVersionMismatch", Outcome::version_mismatch, moved, {}, {}},
        {"NoneForAnUpgrade", Outcome::upgraded, refused, {}, {}},
    };
}

TEST(LikelyCauses, FollowWhatTheRunWentThrough)
{
    for (const CauseCase& c : cause_cases()) {
        SCOPED_TRACE(c.name);
        const auto causes = likely_causes(c.outcome, c.facts);
        ASSERT_EQ(causes.size(), c.starts.size());
        for (std::size_t i = 0; i < causes.size(); ++i) {
            EXPECT_TRUE(causes[i].starts_with(c.starts[i])) << causes[i];
            for (const std::string& word : c.never) EXPECT_EQ(causes[i].find(word), std::string::npos) << causes[i];
        }
    }
}

TEST(TraceLines, EachLabelledByWhatItIsAbout)
{
    record::RequestFact request{0x7f000001, 23456,   0x7f000002, 80, "GET /admin/advanced HTTP/1.1",
                                true,       "admin", "VOQ"};
    const record::TransferFact block{false, 1024, 734916, 2, 0};
    const struct {
        const char* name;
        record::Fact fact;
        TraceDetail detail;
        std::vector<std::string> lines;
    } cases[] = {
        {"SignedRequest",
         request,
         TraceDetail::steps,
         {"http: request from 127.0.0.1:23456 to 127.0.0.2:80", "http: GET /admin/advanced HTTP/1.1",
          "http: Authorization: Digest username=\"admin\", realm=\"VOQ\", response=\"(hidden)\""}},
        {"Answer",
         record::AnswerFact{"GET /admin/advanced HTTP/1.1", "HTTP/1.1 200 OK", 1200},
         TraceDetail::steps,
         {"http: Answer: HTTP/1.1 200 OK (1200 bytes)"}},
        {"Refused",
         record::CallFailedFact{record::Call::http_connect, 0x7f000002, 80, 80, ECONNREFUSED, "Connection refused"},
         TraceDetail::steps,
         {"http: connect to 127.0.0.2:80 failed: Connection refused"}},
        {"BindRefused",
         record::CallFailedFact{record::Call::tftp_bind, 0x7f000001, 69, 168, EADDRINUSE, "Address already in use"},
         TraceDetail::steps,
         {"tftp: bind 127.0.0.1:69-168 failed: Address already in use"}},
        {"SendRefused",
         record::CallFailedFact{record::Call::tftp_send, 0x7f000002, 4321, 4321, ENOBUFS, "No buffer space available"},
         TraceDetail::steps,
         {"tftp: send to 127.0.0.2:4321 failed: No buffer space available"}},
        {"Listening", record::ListeningFact{0x7f000001, 69}, TraceDetail::steps, {"tftp: listening on 127.0.0.1:69"}},
        {"Phase",
         record::PhaseFact{record::Phase::restarting},
         TraceDetail::steps,
         {"run: Phase: waiting for the restart"}},
        {"BlockAtOneV", block, TraceDetail::steps, {}},
        {"BlockAtTwoV",
         block,
         TraceDetail::packets,
         {"tftp: Transfer: 1024 of 734916 bytes of the target image, 2 blocks acknowledged, 0 retransmissions"}},
        {"NothingWithoutV", record::PhaseFact{record::Phase::restarting}, TraceDetail::none, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(trace_lines(c.fact, c.detail), c.lines);
    }
}

TEST(TraceLines, ATransferInOneLine)
{
    EXPECT_EQ(
        transfer_summary({false, 734916, 734916, 1436, 3}, 2345),
        "tftp: target image sent in 2.345 s: 1436 blocks acknowledged, 734916 of 734916 bytes, 3 retransmissions");
    EXPECT_EQ(
        transfer_summary({true, 512, 4096, 1, 30, true}, 6000),
        "tftp: transition image given up after 6.000 s: 1 blocks acknowledged, 512 of 4096 bytes, 30 retransmissions");
    // Cut short by a signal: neither sent nor given up.
    EXPECT_EQ(
        transfer_summary({false, 153088, 734916, 299, 0}, 2377),
        "tftp: target image stopped after 2.377 s: 299 blocks acknowledged, 153088 of 734916 bytes, 0 retransmissions");
    EXPECT_EQ(phase_took_line("connecting", 1500), "run: connecting took 1.500 s");
}

TEST(CoreTraceLine, PacketsLabelledAndNothingThatMayHoldASecret)
{
    const struct {
        const char* text;
        std::optional<std::string> line;
    } cases[] = {
        {"Send block 12 (512)\n", "tftp: Send block 12 (512)"},
        {"ReSend block 7\n", "tftp: ReSend block 7 (no acknowledgement in time)"},
        {"ReSend option ack\n", "tftp: ReSend option ack (no acknowledgement in time)"},
        {"All blocks ack'd\n", "tftp: All blocks ack'd"},
        {"++++size 734916, 196, 1436\n",
         "tftp: ++++size 734916, 196, 1436 (the image's bytes, its last block's bytes, its blocks)"},
        {"Timeout for ack; upgrade failed\n", "tftp: Timeout for ack; upgrade failed (the transfer given up)"},
        {"Unknown source request in session: 7f000102:4321",
         "tftp: Unknown source request in session: 7f000102:4321 (a packet from another address, in hexadecimal, or "
         "port: ignored)"},
        {"TFTP Rx WRQ?\n", "tftp: Rx WRQ? (a write request: ignored)"},
        {"TFTP Rx Error?\n", "tftp: Rx Error? (an error packet before any read request: ignored)"},
        // A request as it leaves holds its Digest response; the facts tell the rest.
        {"GET /admin/advanced HTTP/1.1\r\nHost: 127.0.0.2\r\nAuthorization: Digest username=\"admin\", response=\"0123abcd\"\r\n\r\n",
         std::nullopt},
        {"HTTP 7f000001:23456 to 7f000002:80", std::nullopt},
        {"recv done\n", std::nullopt},
        {"/voq4d2.bi1 /voq4d2.bi1\n", std::nullopt},
        {"", std::nullopt},
        {"Send block 1 (2)\x1b[2J\n", std::nullopt},  // anything but its numbers
        {"Send block /voq.bi1\n", std::nullopt},
        {"All blocks ack'd and more\n", std::nullopt},
        {"TFTP Rx WRQ? /etc/passwd\n", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(core_trace_line(c.text), c.line);
    }
}

// A socket's inode, looked up in a table as /proc/net/udp or udp6 gives it.
struct InodeCase {
    std::uint32_t address;
    std::uint16_t port;
    std::optional<unsigned long> inode;
};

void expect_inodes(const std::string& table, std::span<const InodeCase> cases)
{
    for (const InodeCase& c : cases)
        EXPECT_EQ(platform::udp_socket_inode(table, c.address, c.port), c.inode) << c.address << ":" << c.port;
}

TEST(UdpSocketInode, FoundByAddressAndPortOrTheWildcard)
{
    const std::string table =
        "   sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode ref pointer drops\n"
        "  101: 0100007F:0045 00000000:0000 07 00000000:00000000 00:00000000 00000000  1000        0 4711 2 0000000000000000 0\n"
        "  102: 00000000:0046 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        0 815 2 0000000000000000 0\n"
        "  103: 0500000A:0047 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        0 0 2 0000000000000000 0\n"
        "  104: garbage\n";
    const InodeCase cases[] = {
        {0x7f000001, 69, 4711},          {0x7f000002, 69, std::nullopt},
        {0x0a000005, 70, 815},           {0x0a000005, 71, std::nullopt},  // a socket without an inode is gone
        {0x7f000001, 168, std::nullopt},
    };
    expect_inodes(table, cases);
    EXPECT_EQ(platform::udp_socket_inode("", 0x7f000001, 69), std::nullopt);
}

TEST(UdpSocketInode, DualStackSocketsOfTheUdp6Table)
{
    const std::string table =
        "  sl  local_address                         remote_address                        st tx_queue rx_queue tr "
        "tm->when retrnsmt   uid  timeout inode ref pointer drops\n"
        "  201: 00000000000000000000000000000000:0045 00000000000000000000000000000000:0000 07 00000000:00000000 "
        "00:00000000 00000000     0        0 5001 2 0000000000000000 0\n"
        "  202: 0000000000000000FFFF00000100007F:0046 00000000000000000000000000000000:0000 07 00000000:00000000 "
        "00:00000000 00000000     0        0 5002 2 0000000000000000 0\n"
        "  203: 00000000000000000000000001000000:0047 00000000000000000000000000000000:0000 07 00000000:00000000 "
        "00:00000000 00000000     0        0 5003 2 0000000000000000 0\n"
        "  204: 0000000000000000FFFF00000100007:0048 00000000000000000000000000000000:0000 07 00000000:00000000 "
        "00:00000000 00000000     0        0 5004 2 0000000000000000 0\n";
    const InodeCase cases[] = {
        {0x7f000001, 69, 5001},          // [::] holds every IPv4 address too
        {0x7f000001, 70, 5002},          // ::ffff:127.0.0.1
        {0x7f000002, 70, std::nullopt},  // another mapped address
        {0x7f000001, 71, std::nullopt},  // ::1 is no IPv4 address
        {0x7f000001, 72, std::nullopt},  // a short address is no address
    };
    expect_inodes(table, cases);
}

}  // namespace
}  // namespace voq::cli
