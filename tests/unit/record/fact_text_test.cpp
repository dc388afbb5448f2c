// The facts as a trace or a support log shows them: addresses dotted, device texts
// made harmless, and no room anywhere for a secret.

#include "record/facts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace voq::record {
namespace {

TEST(FactText, EachKindAsAPersonReadsIt)
{
    const struct {
        Fact fact;
        std::string text;
    } cases[] = {
        {StartFact{true, "VOQ-3300", "2.0.13(g)"}, "Product VOQ-3300, firmware 2.0.13(g), staged mode"},
        {DeviceFact{{0x7f000001, 0xc0a80105}, 0xc0a80105, 0xc0a80109},
         "PC addresses: 127.0.0.1 192.168.1.5\nPC address 192.168.1.5, device 192.168.1.9"},
        {PhaseFact{Phase::waiting_for_request}, "Phase: waiting for the read request"},
        {RequestFact{0x7f000001, 23456, 0x7f00d202, 80, "GET /admin/advanced HTTP/1.1"},
         "HTTP 127.0.0.1:23456 to 127.0.210.2:80\nGET /admin/advanced HTTP/1.1"},
        {RequestFact{0x7f000001, 23456, 0x7f00d202, 80, "GET / HTTP/1.1", true, "root", "VOQ"},
         "HTTP 127.0.0.1:23456 to 127.0.210.2:80\nGET / HTTP/1.1\n"
         "Authorization: Digest username=\"root\", realm=\"VOQ\", response=\"(hidden)\""},
        {AnswerFact{"GET / HTTP/1.1", "HTTP/1.1 401 Unauthorized", 310},
         "Answer: HTTP/1.1 401 Unauthorized (310 bytes)"},
        {AnswerFact{"GET / HTTP/1.1", "", 0}, "No answer to GET / HTTP/1.1"},
        {AnswerFact{"GET / HTTP/1.1", "HTTP/1.1 200 \x1b[2JOK", 5}, "Answer: HTTP/1.1 200 [2JOK (5 bytes)"},
        {CallFailedFact{Call::http_connect, 0x7f000002, 80, 80, 111, "Connection refused"},
         "HTTP connect to 127.0.0.2:80 failed: Connection refused"},
        {CallFailedFact{Call::http_bind, 0x7f000001, 23456, 23556, 98, "Address already in use"},
         "HTTP bind 127.0.0.1:23456-23556 failed: Address already in use"},
        {CallFailedFact{Call::tftp_bind, 0x7f000001, 69, 69, 98, "Address already in use"},
         "TFTP bind 127.0.0.1:69 failed: Address already in use"},
        {CallFailedFact{Call::tftp_send, 0x7f000002, 3077, 3077, 101, "Network is unreachable"},
         "TFTP send to 127.0.0.2:3077 failed: Network is unreachable"},
        {ListeningFact{0x7f000001, 10069}, "TFTP listening on 127.0.0.1:10069"},
        {ReadRequestFact{0x0a000002, 4711, "/voq4d2.bi1"}, "TFTP read request from 10.0.0.2:4711 for /voq4d2.bi1"},
        {ReadRequestFact{0x0a000002, 4711, "/other\r.bin", false},
         "TFTP read request from 10.0.0.2:4711 for /other.bin, not the file offered: ignored"},
        {TransferFact{false, 1024, 734916, 2, 3},
         "Transfer: 1024 of 734916 bytes of the target image, 2 blocks acknowledged, 3 retransmissions"},
        {PacketFact{Packet::block_resent, 1}, "TFTP block 1 sent again"},
        {PacketFact{Packet::option_acknowledgement_resent}, "TFTP option acknowledgement sent again"},
        {PacketFact{Packet::ignored_stale, 3}, "TFTP stale acknowledgement of block 3 ignored"},
        {VersionsFact{"2.0.13(g)", "2.0.12(SE)"}, "Version expected 2.0.13(g), reported 2.0.12(SE)"},
        {StandingFact{Standing::outdated, true},
         "Device's version: older than the tool's firmware, transition image first in a staged build"},
        {StandingFact{Standing::newer, false}, "Device's version: later than the tool's firmware"},
        {StandingFact{Standing::unreadable, false, 404}, "Device's version: none on its status page (status 404)"},
        {FailureFact{session::Failure::no_response_after_restart},
         "Failure no-response-after-restart: Upgrade Failed: No Response From VOQ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(fact_text(c.fact), c.text);
    }
}

TEST(FailureTable, EveryCodeHasItsOwnNameAndAFailureText)
{
    for (std::size_t i = 0; i < session::failure_table.size(); ++i) {
        const auto& entry = session::failure_table[i];
        SCOPED_TRACE(std::string(entry.name));
        EXPECT_EQ(static_cast<std::size_t>(entry.code), i) << "the table follows the enumeration";
        EXPECT_TRUE(entry.text.starts_with("Upgrade Failed: "));
        for (std::size_t k = 0; k < i; ++k) EXPECT_NE(session::failure_table[k].name, entry.name);
    }
}

}  // namespace
}  // namespace voq::record
