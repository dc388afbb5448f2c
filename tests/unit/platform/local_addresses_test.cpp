#include "platform/local_addresses.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace voq::platform {
namespace {

TEST(OrderLocalAddresses, UpInterfacesOnlyLoopbackLastOtherwiseInInterfaceOrder)
{
    const struct {
        const char* what;
        std::vector<InterfaceAddress> interfaces;
        std::vector<std::uint32_t> ordered;
    } cases[] = {
        {"none", {}, {}},
        {"loopback listed first", {{0x7f000001, true, true}, {0xc0a80102, true, false}, {0x0a000001, true, false}},
         {0xc0a80102, 0x0a000001, 0x7f000001}},
        {"down interfaces left out", {{0xc0a80102, false, false}, {0x0a000001, true, false}, {0x7f000001, false, true}},
         {0x0a000001}},
        {"several loopback addresses keep their order",
         {{0x7f000001, true, true}, {0x7f000102, true, true}, {0xac100001, true, false}},
         {0xac100001, 0x7f000001, 0x7f000102}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(order_local_addresses(c.interfaces), c.ordered);
    }
}

TEST(LocalIpv4Addresses, ListsTheLoopbackAddressWhenLoopbackIsUp)
{
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the list is the host name's addresses, which need not include loopback";
#endif
    const std::vector<std::uint32_t> addresses = local_ipv4_addresses();
    if (addresses.empty()) GTEST_SKIP() << "no interface is up (a fresh network namespace)";
    EXPECT_NE(std::find(addresses.begin(), addresses.end(), 0x7f000001u), addresses.end());
}

}  // namespace
}  // namespace voq::platform
