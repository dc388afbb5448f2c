// A run's facts folded into its report, and the likely causes read from it.

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "record/likely_causes.h"
#include "record/run_report.h"

namespace voq::record {
namespace {

using session::Failure;

constexpr std::uint32_t pc = 0x7f000001, device = 0x7f00d202;
#ifdef _WIN32
constexpr int connection_refused = 10061;  // WSAECONNREFUSED
#else
constexpr int connection_refused = ECONNREFUSED;
#endif

std::vector<Noted> upgrade_run(int upgrade_status, std::string status_line, bool asked)
{
    std::vector<Noted> run{
        {1000, DeviceFact{{pc}, pc, device}},
        {1000, PhaseFact{Phase::reading_status}},
        {1001, RequestFact{pc, 23456, device, 80, "GET /admin/advanced HTTP/1.1"}},
        {1005, AnswerFact{"GET /admin/advanced HTTP/1.1", "HTTP/1.1 200 OK", 900, RequestKind::status_page, 200}},
        {1006, StandingFact{Standing::outdated, false, 0, "2.0.12"}},
        {1010, PhaseFact{Phase::confirming}},
        {1200, ListeningFact{pc, 69}},
        {1201, PhaseFact{Phase::waiting_for_request}},
        {1202, RequestFact{pc, 23457, device, 80, "GET /admin/upgrade?x HTTP/1.1", false, "", "",
                           RequestKind::upgrade_request}},
        {1210,
         AnswerFact{"GET /admin/upgrade?x HTTP/1.1", status_line, 40, RequestKind::upgrade_request, upgrade_status}},
    };
    if (asked) run.push_back({1300, ReadRequestFact{device, 4711, "/f.bin"}});
    return run;
}

TEST(FoldRun, PhasesRequestsCountersVersionsAndTheFailure)
{
    std::vector<Noted> run = upgrade_run(200, "HTTP/1.1 200 OK", true);
    const std::vector<Noted> rest{
        {1300, TransferFact{false, 0, 1500, 0, 0}},
        {1300, PhaseFact{Phase::transferring}},
        {1301, PacketFact{Packet::option_acknowledgement_sent}},
        {1302, PacketFact{Packet::ignored_other_peer}},
        {1303, PacketFact{Packet::ignored_stale, 0}},
        {1400, TransferFact{false, 1024, 1500, 2, 1}},
        {1500, TransferFact{false, 1500, 1500, 3, 1}},
        {1500, PhaseFact{Phase::restarting}},
        {9500, PhaseFact{Phase::rereading}},
        {9600, VersionsFact{"2.0.13", "2.0.12"}},
        {9601, FailureFact{Failure::version_mismatch}},
    };
    run.insert(run.end(), rest.begin(), rest.end());
    const RunReport report = fold_run(run);

    EXPECT_EQ(report.pc_address, pc);
    EXPECT_EQ(report.device_address, device);
    EXPECT_EQ(report.tftp_port, 69);
    const std::vector<std::pair<Phase, std::uint32_t>> starts{
        {Phase::reading_status, 0}, {Phase::confirming, 10},  {Phase::waiting_for_request, 201},
        {Phase::transferring, 300}, {Phase::restarting, 500}, {Phase::rereading, 8500}};
    ASSERT_EQ(report.phases.size(), starts.size());
    for (std::size_t i = 0; i < starts.size(); ++i) {
        EXPECT_EQ(report.phases[i].phase, starts[i].first);
        EXPECT_EQ(report.phases[i].start_ms, starts[i].second);
    }
    EXPECT_EQ(report.phases[3].duration_ms, 200u);
    EXPECT_EQ(report.phases.back().duration_ms, 101u);  // until the last fact
    ASSERT_EQ(report.requests.size(), 2u);
    EXPECT_EQ(last_request(report, RequestKind::upgrade_request)->status_code, 200);
    EXPECT_TRUE(report.read_request);
    EXPECT_EQ(report.transfer.blocks, 3u);
    EXPECT_EQ(report.transfer.bytes, 1500u);
    EXPECT_EQ(report.transfer.retransmissions, 1u);
    EXPECT_EQ(report.transfer.ignored, 2u);
    EXPECT_EQ(report.version_before, "2.0.12");
    EXPECT_EQ(report.version_expected, "2.0.13");
    EXPECT_EQ(report.version_after, "2.0.12");
    EXPECT_EQ(report.failure, Failure::version_mismatch);

    // Kept as the front-ends keep a run, the transfer's progress is one fact, and folds the same.
    std::vector<Noted> kept;
    for (const Noted& noted : run) keep_fact(kept, noted);
    EXPECT_EQ(kept.size(), run.size() - 1);
    const RunReport folded = fold_run(kept);
    EXPECT_EQ(folded.transfer.blocks, 3u);
    EXPECT_EQ(folded.transfer.retransmissions, 1u);
    EXPECT_EQ(folded.transfer.ignored, 2u);
    for (std::size_t i = 0; i < starts.size(); ++i)
        EXPECT_EQ(folded.phases[i].duration_ms, report.phases[i].duration_ms);
}

bool names_firewall(const std::vector<std::string>& causes)
{
    for (const std::string& cause : causes)
        if (cause.find("firewall") != std::string::npos) return true;
    return false;
}

TEST(LikelyCauses, FollowWhatHappened)
{
    const auto refused_connection = std::vector<Noted>{
        {0, DeviceFact{{pc}, pc, device}},
        {1, RequestFact{pc, 23456, device, 80, "GET /admin/advanced HTTP/1.1"}},
        {2, CallFailedFact{Call::http_connect, device, 80, 80, connection_refused, "Connection refused"}},
        {3, FailureFact{Failure::no_response}},
    };
    auto transition_first = upgrade_run(200, "HTTP/1.1 200 OK", true);
    transition_first[4] = {1006, StandingFact{Standing::outdated, true, 0, "2.0.10"}};
    transition_first.push_back({9000, FailureFact{Failure::version_mismatch}});
    auto transition_served = transition_first;
    transition_served.insert(transition_served.begin(), {1000, StartFact{true, "VOQ-3300", "2.0.13"}});
    auto lost_after_restart = upgrade_run(200, "HTTP/1.1 200 OK", true);
    lost_after_restart.push_back({9000, FailureFact{Failure::no_response_after_restart}});
    auto delivered = upgrade_run(200, "HTTP/1.1 200 OK", true);
    // Staged: the transition image fetched, then the second upgrade request refused.
    auto second_refused = upgrade_run(200, "HTTP/1.1 200 OK", true);
    const auto busy = upgrade_run(503, "HTTP/1.1 503 Service Unavailable", false);
    second_refused.insert(second_refused.end(), busy.end() - 2, busy.end());
    delivered.push_back({9000, FailureFact{Failure::upload_incomplete}});

    const struct {
        const char* name;
        std::vector<Noted> run;
        std::string first;  // how the first cause begins; empty: no cause
        bool firewall;
    } cases[] = {
        {"503", upgrade_run(503, "HTTP/1.1 503 Service Unavailable", false),
         "The device refused the upgrade request (\"HTTP/1.1 503 Service Unavailable\"): a device busy", false},
        {"404", upgrade_run(404, "HTTP/1.1 404 Not Found", false),
         "The device refused the upgrade request (\"HTTP/1.1 404 Not Found\"): what answers", false},
        {"accepted, never asked", upgrade_run(200, "HTTP/1.1 200 OK", false), "A firewall on this PC", true},
        {"no answer to the upgrade request", upgrade_run(0, "", false), "The device's address 127.0.210.2", false},
        {"connection refused", refused_connection, "Something at 127.0.210.2 refused the connection to port 80", false},
        {"transition first", transition_first,
         "The device ran 2.0.10 before the upgrade: a device that old needs the transition image first", false},
        {"transition first, and served by a staged build", transition_served, "", false},
        {"not back", lost_after_restart, "The device may still be restarting", false},
        {"asked, then failed", delivered, "", false},
        {"asked once, refused the second", second_refused,
         "The device refused the upgrade request (\"HTTP/1.1 503 Service Unavailable\"): a device busy", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> causes = likely_causes(fold_run(c.run), {});
        if (c.first.empty()) {
            EXPECT_TRUE(causes.empty());
            continue;
        }
        ASSERT_FALSE(causes.empty());
        EXPECT_EQ(causes.front().substr(0, c.first.size()), c.first);
        EXPECT_EQ(names_firewall(causes), c.firewall);
    }
}

}  // namespace
}  // namespace voq::record
