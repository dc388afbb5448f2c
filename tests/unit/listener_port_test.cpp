#include "tftp/listener.h"

#include <gtest/gtest.h>

#include <vector>

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
        {"ordinary user, every fallback port in use", {{69, 1023, refused}, {10069, 10168, in_use}}, std::nullopt,
         10168},
        {"unprivileged ports start at 100", {{69, 99, refused}}, 100, 100},
        {"unprivileged ports start at 100, the rest in use", {{69, 99, refused}, {100, 168, in_use}}, 10069,
         10069},
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

}  // namespace
}  // namespace voq::tftp
