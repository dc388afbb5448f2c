// The likely causes chosen from what a run went through, and the trace as an
// administrator reads it at each verbosity.

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <span>
#include <string>

#include "frontends/cli/run/trace_lines.h"
#include "platform/port_holder.h"
#include "record/likely_causes.h"

namespace voq::cli {
namespace {

constexpr std::uint32_t pc = 0x0a000005, device = 0x0a000007;

record::CallFailedFact refusal(record::Call call, std::uint16_t first, std::uint16_t last, int error,
                               const char* reason)
{
    return {call, call == record::Call::tftp_bind ? pc : device, first, last, error, reason};
}

// A run's report as far as the causes read it, and what this PC told beside it.
struct Run {
    record::RunReport report;
    record::Circumstances around;
};

Run plain(std::optional<session::Failure> failure)
{
    Run run;
    run.report.pc_address = pc;
    run.report.device_address = device;
    run.report.tftp_port = 69;
    run.report.failure = failure;
    run.around.pc_netmask = 0xffffff00;
    return run;
}

Run refused_connection(int error, const char* reason)
{
    Run run = plain(session::Failure::no_response);
    run.report.requests.push_back({record::RequestKind::status_page, "GET /admin/advanced HTTP/1.1"});
    run.report.requests.back().refused = refusal(record::Call::http_connect, 80, 80, error, reason);
    return run;
}

Run unbound(std::vector<record::CallFailedFact> refusals)
{
    Run run = plain(session::Failure::cannot_bind_listener_socket);
    run.report.tftp_port = 0;
    run.report.tftp_refusals = std::move(refusals);
    return run;
}

// Told to fetch its firmware, answered so, and never asked: the waiting screen's Cancel.
Run never_asked(std::string status_line, int status_code, std::uint16_t port)
{
    Run run = plain(session::Failure::user_abort);
    run.report.tftp_port = port;
    record::Exchange upgrade{record::RequestKind::upgrade_request, "GET /admin/upgrade?tftp://10.0.0.5/f HTTP/1.1"};
    upgrade.answered = true;
    upgrade.status_line = std::move(status_line);
    upgrade.status_code = status_code;
    run.report.requests.push_back(upgrade);
    return run;
}

struct CauseCase {
    const char* name;
    Run run;
    std::vector<std::string> starts;  // each cause's beginning, in order
    std::vector<std::string> never;   // in no cause
};

std::vector<CauseCase> cause_cases()
{
    using session::Failure;
    Run unanswered = plain(Failure::no_response);
    unanswered.around.http_unanswered = true;
    const Run held = unbound({refusal(record::Call::tftp_bind, 69, 168, EADDRINUSE, "Address already in use")});
    Run held_as_root = held;
    held_as_root.around.root = true;
    Run held_by = held;
    held_by.around.port_69_holder = "in.tftpd (process 321)";
    const Run unprivileged =
        unbound({refusal(record::Call::tftp_bind, 69, 168, EACCES, "Permission denied"),
                 refusal(record::Call::tftp_bind, 10069, 10168, EADDRINUSE, "Address already in use")});
    Run moved = never_asked("HTTP/1.1 200 OK", 200, 71);
    moved.around.port_69_holder = "dnsmasq (process 77)";
    Run sibling = never_asked("HTTP/1.1 200 OK", 200, 70);
    sibling.around.port_69_ours = true;
    Run held_by_sibling = held;
    held_by_sibling.around.port_69_ours = true;
    Run restarted_silent = plain(Failure::no_response_after_restart);
    restarted_silent.around.http_unanswered = true;
    Run off_subnet = never_asked("HTTP/1.1 200 OK", 200, 69);
    off_subnet.report.device_address = 0x0a000107;
    Run moved_mismatch = moved;
    moved_mismatch.report.failure = Failure::version_mismatch;
    Run upgraded = refused_connection(ECONNREFUSED, "Connection refused");
    upgraded.report.failure = std::nullopt;

    const std::vector<std::string> no_tftp{"TFTP", "firewall", "UDP"};
    const std::string capability = "On Linux, binding UDP port 69 needs root or the capability CAP_NET_BIND_SERVICE";
    return {
        {"RefusedConnectionIsNoFirewallMatter",
         refused_connection(ECONNREFUSED, "Connection refused"),
         {"Something at 10.0.0.7 refused the connection to port 80 (\"Connection refused\"): the address answers",
          "The device's address 10.0.0.7 may be wrong"},
         no_tftp},
        {"AcceptedButUnanswered",
         unanswered,
         {"The device at 10.0.0.7 accepted the connection but sent no answer within --http-timeout",
          "The device's address 10.0.0.7 may be wrong"},
         no_tftp},
        {"Unreachable",
         refused_connection(EHOSTUNREACH, "No route to host"),
         {"This PC could not reach 10.0.0.7 (\"No route to host\")", "The device's address 10.0.0.7 may be wrong",
          "The PC address 10.0.0.5 and the device 10.0.0.7 are on the same subnet"},
         no_tftp},
        {"NothingToldOfTheConnection",
         plain(Failure::no_response),
         {"The device's address 10.0.0.7 may be wrong", "The PC address 10.0.0.5 and the device 10.0.0.7"},
         no_tftp},
        {"Port69HeldByANamedProgram",
         held_by,
         {"in.tftpd (process 321) holds UDP port 69 on 10.0.0.5, and ports 70 to 168 are taken too (\"Address already in "
          "use\"): stop it",
          capability},
         {"firewall"}},
        {"Port69HeldByAnUnknownOne",
         held,
         {"Another TFTP server (tftpd-hpa, dnsmasq, atftpd) holds UDP port 69 on 10.0.0.5", capability},
         {"firewall"}},
        {"NotPermittedAndTheFallbackTaken",
         unprivileged,
         {capability, "Other programs hold UDP ports 10069 to 10168 on 10.0.0.5 (\"Address already in use\")",
          "Another TFTP server (tftpd-hpa, dnsmasq, atftpd) may hold UDP port 69"},
         {"firewall"}},
        {"Port69HeldWhileRunAsRoot",
         held_as_root,
         {"Another TFTP server (tftpd-hpa, dnsmasq, atftpd) holds UDP port 69 on 10.0.0.5"},
         {"CAP_NET_BIND_SERVICE"}},
        {"BindRefusalsUntold",
         unbound({}),
         {"Another TFTP server (tftpd-hpa, dnsmasq, atftpd) may hold UDP port 69", capability},
         {"firewall"}},
        {"AfterACompletedTransfer",
         plain(Failure::no_response_after_restart),
         {"The device may still be restarting: a slow device needs a longer --restart-wait",
          "The device may have come back at another address"},
         {"firewall", "subnet", "TFTP"}},
        {"AfterACompletedTransferUnanswered",
         restarted_silent,
         {"The device accepted the connection after its restart but sent no answer",
          "The device may still be restarting", "The device may have come back at another address"},
         {"firewall", "subnet"}},
        // A device that refused the request had no reason to ask: no firewall or subnet to blame.
        {"BusyDeviceAlone",
         never_asked("HTTP/1.1 503 Service Unavailable", 503, 69),
         {"The device refused the upgrade request (\"HTTP/1.1 503 Service Unavailable\"): a device busy"},
         {"firewall", "subnet", "TFTP server"}},
        {"NoUpgradeRequestTaken",
         never_asked("HTTP/1.0 404 Not Found", 404, 69),
         {"The device refused the upgrade request (\"HTTP/1.0 404 Not Found\"): what answers at this address",
          "The device's address 10.0.0.7 may be wrong"},
         {"firewall", "busy", "TFTP server"}},
        {"OfferedElsewhereNamesWhoHolds69",
         moved,
         {"A firewall on this PC", "The PC address 10.0.0.5",
          "dnsmasq (process 77) holds UDP port 69 (the firmware was "
          "offered on port 71)",
          "A telephone in use"},
         {}},
        {
            "OfferedElsewhereWhileASiblingRunHolds69",
            sibling,
            {"A firewall on this PC", "The PC address 10.0.0.5", "A telephone in use"},
            {"holds UDP port 69", "voq-upgrade-cli"},
        },
        {"OffThePcsSubnet",
         off_subnet,
         {"A firewall on this PC",
          "The device 10.0.1.7 is NOT on the subnet of the PC address 10.0.0.5, 10.0.0.0/24 (netmask 255.255.255.0)",
          "Another TFTP server on this PC", "A telephone in use"},
         {}},
        {"AllPortsHeldWithASiblingRunOn69",
         held_by_sibling,
         {"Other programs hold UDP ports 69 to 168 on 10.0.0.5 (\"Address already in use\")", capability},
         {"TFTP server", "stop it"}},
        {"NoneForAVersionMismatch", moved_mismatch, {}, {}},
        {"NoneForAnUpgrade", upgraded, {}, {}},
    };
}

TEST(LikelyCauses, FollowWhatTheRunWentThrough)
{
    for (const CauseCase& c : cause_cases()) {
        SCOPED_TRACE(c.name);
        const auto causes = record::likely_causes(c.run.report, c.run.around);
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
        {"PacketAtOneV", record::PacketFact{record::Packet::block_resent, 7}, TraceDetail::steps, {}},
        {"PacketAtTwoV",
         record::PacketFact{record::Packet::block_resent, 7},
         TraceDetail::packets,
         {"tftp: block 7 sent again"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(trace_lines(c.fact, c.detail), c.lines);
    }
}

TEST(TraceLines, ATransferInOneLine)
{
    EXPECT_EQ(
        transfer_summary({.blocks = 1436, .bytes = 734916, .total = 734916, .retransmissions = 3}, 2345),
        "tftp: target image sent in 2.345 s: 1436 blocks acknowledged, 734916 of 734916 bytes, 3 retransmissions");
    EXPECT_EQ(
        transfer_summary({.transition_image = true,
                          .blocks = 1,
                          .bytes = 512,
                          .total = 4096,
                          .retransmissions = 30,
                          .given_up = true},
                         6000),
        "tftp: transition image given up after 6.000 s: 1 blocks acknowledged, 512 of 4096 bytes, 30 retransmissions");
    // Cut short by a signal: neither sent nor given up.
    EXPECT_EQ(
        transfer_summary({.blocks = 299, .bytes = 153088, .total = 734916}, 2377),
        "tftp: target image stopped after 2.377 s: 299 blocks acknowledged, 153088 of 734916 bytes, 0 retransmissions");
    EXPECT_EQ(phase_took_line("connecting", 1500), "run: connecting took 1.500 s");
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
