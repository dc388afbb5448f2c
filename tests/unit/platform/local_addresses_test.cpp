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
        {"loopback listed first",
         {{0x7f000001, true, true}, {0xc0a80102, true, false}, {0x0a000001, true, false}},
         {0xc0a80102, 0x0a000001, 0x7f000001}},
        {"down interfaces left out",
         {{0xc0a80102, false, false}, {0x0a000001, true, false}, {0x7f000001, false, true}},
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

TEST(NetmaskFor, TheAddressesOwnInterfaceFirstThenTheFirstNetworkThatHoldsIt)
{
    const struct {
        const char* what;
        std::vector<InterfaceNetwork> interfaces;
        std::uint32_t address;
        std::optional<std::uint32_t> netmask;
    } cases[] = {
        {"no interfaces", {}, 0xc0a80102, std::nullopt},
        {"outside every network", {{0x0a000001, 0xff000000}, {0x7f000001, 0xff000000}}, 0xc0a80102, std::nullopt},
        {"inside one network", {{0x7f000001, 0xff000000}, {0xc0a80101, 0xffffff00}}, 0xc0a801fe, 0xffffff00},
        {"the first of two networks that hold it",
         {{0x0a000001, 0xff000000}, {0x0a010001, 0xffff0000}},
         0x0a010203,
         0xff000000},
        {"its own interface over an earlier network that holds it",
         {{0x0a000001, 0xff000000}, {0x0a010203, 0xffff0000}},
         0x0a010203,
         0xffff0000},
        {"a point-to-point address, all ones", {{0xc0a80102, 0xffffffff}}, 0xc0a80102, 0xffffffff},
        {"a mask of nothing holds every address", {{0x0a000001, 0}}, 0xc0a80102, 0u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(netmask_for(c.interfaces, c.address), c.netmask);
    }
}

TEST(NetmaskOf, TheLoopbackAddressIsInTheLoopbackNetwork)
{
#ifdef _WIN32
    GTEST_SKIP() << "wine's address table need not list loopback";
#endif
    const std::vector<std::uint32_t> addresses = local_ipv4_addresses();
    if (std::find(addresses.begin(), addresses.end(), 0x7f000001u) == addresses.end())
        GTEST_SKIP() << "loopback is down (a fresh network namespace)";
    const std::optional<std::uint32_t> netmask = netmask_of(0x7f000001);
    ASSERT_TRUE(netmask.has_value());
    EXPECT_EQ(*netmask & 0xff000000u, 0xff000000u);
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
