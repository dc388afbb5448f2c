#include "tftp/listener.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tftp/packet.h"

namespace voq::tftp {
namespace {

using platform::BindResult;

// A machine's ports as the search meets them: each range of ports answers one way.
struct PortRule {
    std::uint16_t first;
    std::uint16_t last;
    BindResult answer;
};

struct SearchCase {
    const char* machine;
    std::vector<PortRule> rules;  // ports no rule covers are free
    std::optional<std::uint16_t> port;
    std::uint16_t highest_tried;
};

TEST(SearchListenerPort, TellsPortsInUseFromPortsRefusedForPrivilege)
{
    constexpr auto in_use = BindResult::failed;
    constexpr auto refused = BindResult::not_permitted;
    const std::vector<SearchCase> cases = {
        {"every port free", {}, 69, 69},
        {"69 in use", {{69, 69, in_use}}, 70, 70},
        {"69 to 167 in use", {{69, 167, in_use}}, 168, 168},
        {"every port of the first range in use", {{69, 168, in_use}}, std::nullopt, 168},
        {"an ordinary user on Linux", {{69, 1023, refused}}, 10069, 10069},
        {"ordinary user, 10069 to 10100 in use", {{69, 1023, refused}, {10069, 10100, in_use}}, 10101, 10101},
        {"ordinary user, every fallback port in use",
         {{69, 1023, refused}, {10069, 10168, in_use}},
         std::nullopt,
         10168},
        {"unprivileged ports start at 100", {{69, 99, refused}}, 100, 100},
        {"unprivileged ports start at 100, the rest in use", {{69, 99, refused}, {100, 168, in_use}}, 10069, 10069},
        {"binding refused everywhere", {{1, 65535, refused}}, std::nullopt, 10168},
        {"another fault everywhere", {{1, 65535, BindResult::failed}}, std::nullopt, 168},
    };
    for (const SearchCase& test : cases) {
        SCOPED_TRACE(test.machine);
        std::vector<std::uint16_t> tried;
        const auto port = search_listener_port([&](std::uint16_t candidate) {
            tried.push_back(candidate);
            for (const PortRule& rule : test.rules)
                if (candidate >= rule.first && candidate <= rule.last) return rule.answer;
            return BindResult::bound;
        });
        EXPECT_EQ(port, test.port);
        ASSERT_FALSE(tried.empty());
        EXPECT_EQ(tried.back(), test.highest_tried);
        for (const std::uint16_t candidate : tried) {
            const bool first_range = candidate >= 69 && candidate <= 168;
            const bool fallback_range = candidate >= 10069 && candidate <= 10168;
            EXPECT_TRUE(first_range || fallback_range) << candidate;
        }
    }
}

TEST(JudgeRequest, OnlyTheExpectedNameByteForByteIsAccepted)
{
    const auto datagram = [](std::uint16_t opcode, std::string_view body) {
        std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(opcode >> 8), static_cast<std::uint8_t>(opcode)};
        bytes.insert(bytes.end(), body.begin(), body.end());
        return bytes;
    };
    using namespace std::string_literals;
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        Request judged;
    } cases[] = {
        {"the expected name", datagram(read_request, "/voq4d2.bi1\0octet\0tsize\0000\0"s), Request::accepted},
        {"netascii, no options", datagram(read_request, "/voq4d2.bi1\0netascii\0"s), Request::accepted},
        {"name only, nothing after its end", datagram(read_request, "/voq4d2.bi1\0"s), Request::accepted},
        {"other letter case", datagram(read_request, "/VOQ4D2.BI1\0octet\0"s), Request::ignored},
        {"one hex digit in capitals", datagram(read_request, "/voq4D2.bi1\0octet\0"s), Request::ignored},
        {"without the leading slash", datagram(read_request, "voq4d2.bi1\0octet\0"s), Request::ignored},
        {"the other stage digit", datagram(read_request, "/voq4d2.bi0\0octet\0"s), Request::ignored},
        {"a longer name", datagram(read_request, "/voq4d2.bi1x\0octet\0"s), Request::ignored},
        {"a write request for it", datagram(write_request, "/voq4d2.bi1\0octet\0"s), Request::ignored},
        {"DATA", datagram(data, "\0\1abc"s), Request::ignored},
        {"ACK", datagram(acknowledgement, "\0\1"s), Request::ignored},
        {"ERROR", datagram(error, "\0\1no\0"s), Request::ignored},
        {"opcode 0", datagram(0, "/voq4d2.bi1\0"s), Request::ignored},
        {"opcode 9", datagram(9, "/voq4d2.bi1\0"s), Request::ignored},
        {"one byte", {0}, Request::silence},
        {"a name that runs past the datagram", datagram(read_request, "/voq4d2.bi1"), Request::silence},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        std::string accepted;
        EXPECT_EQ(judge_request(test.bytes, "/voq4d2.bi1", accepted), test.judged);
        EXPECT_EQ(accepted, test.judged == Request::accepted ? "/voq4d2.bi1" : "");
    }
}

}  // namespace
}  // namespace voq::tftp
