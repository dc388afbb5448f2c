// The TFTP listener's fatal paths, whole runs: no port to serve from, no descriptor
// for its socket. Each ends with its message under the standard title and the end of
// the process with status 0, before the device is told to fetch anything.

#include <gtest/gtest.h>

#include <cstdio>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "harness.h"
#include "platform/socket.h"
#include "platform/socket_address.h"
#include "sim/device.h"
#include "support/child_process.h"
#include "support/loopback.h"
#include "support/ordinary_user.h"
#include "tftp/listener.h"

namespace voq::test {
namespace {

class ListenerFailure : public ::testing::Test {
protected:
    void start_device()
    {
        addresses = loopback_pair();
        sim::DeviceConfig config;
        config.web.address = addresses.device;
        config.web.log = device_log();
        device = std::make_unique<sim::SimulatedDevice>(config);
        std::string problem;
        ASSERT_TRUE(device->start(problem)) << problem;
    }

    // UDP ports first to first + count - 1 on the PC's address, held for the test.
    void hold_ports(int first, int count)
    {
        for (int port = first; port < first + count; ++port) {
            held.emplace_back(platform::open_datagram_socket());
            ASSERT_EQ(platform::bind_socket(held.back().handle(), platform::fill_socket_address(
                                                                      addresses.pc, static_cast<std::uint16_t>(port))),
                      platform::BindResult::bound)
                << "port " << port;
        }
    }

    // The PC's address as the trace writes it: eight hexadecimal digits.
    std::string hex_pc() const
    {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(addresses.pc));
        return hex;
    }

    static std::string script(const LoopbackPair& addresses, const std::string& more)
    {
        return "local-addresses " + dotted(addresses.pc) + "\n" + more + "warning continue\naddress type " +
               dotted(addresses.device) + "\nconfirm upgrade\n";
    }

    HarnessRun run(const std::string& more = "") { return run_harness(VOQ_HARNESS, script(addresses, more), "run"); }

    // The harness, its script and its transcript in a folder of the ordinary user's own.
    HarnessRun run_as_ordinary_user()
    {
        const OrdinaryUserFolder folder;
        EXPECT_TRUE(folder.made());
        const std::filesystem::path harness = folder.hand(VOQ_HARNESS);
        EXPECT_FALSE(harness.empty());
        return run_harness(harness.string(), script(addresses, ""), "run", 60000, as_ordinary_user, folder.path());
    }

    // The message under its title, then the end; no waiting screen, no upgrade request.
    void expect_ended_before_the_upgrade_request(const HarnessRun& result, const std::string& message)
    {
        EXPECT_FALSE(result.hung);
        EXPECT_EQ(result.status, 0);
        EXPECT_TRUE(result.in_order(
            {"close 103 1", "message \"VOQ Firwmare Upgrade Error\" \"" + message + "\"", "end-process"}))
            << result.text();
        EXPECT_EQ(result.count_prefix("message"), 1u) << result.text();
        EXPECT_EQ(result.count_prefix("open 114"), 0u) << result.text();
        EXPECT_TRUE(device->web().upgrade_requests().empty());
        EXPECT_TRUE(device->fetches().empty());
    }

    LoopbackPair addresses{};
    std::unique_ptr<sim::SimulatedDevice> device;
    std::vector<platform::Socket> held;
};

TEST_F(ListenerFailure, EveryPortFrom69To168TakenCannotBeBound)
{
    start_device();
    hold_ports(tftp::first_listener_port, tftp::listener_port_attempts);
    const HarnessRun result = run();
    expect_ended_before_the_upgrade_request(result, "Upgrade Failed: Can't bind TFTP listener socket");
    EXPECT_TRUE(result.has("trace \"TFTP bind " + hex_pc() + ":69-168 failed: Address already in use\\n\""))
        << result.text();
    EXPECT_EQ(result.count_prefix("trace \"TFTP bind "), 1u) << result.text();
}

TEST_F(ListenerFailure, NoDescriptorLeftForTheSocketCannotCreateIt)
{
    start_device();
    const HarnessRun result = run("descriptors-run-out-after-confirm\n");
    ASSERT_TRUE(result.has("descriptors run out")) << result.text();
    expect_ended_before_the_upgrade_request(result, "Upgrade Failed: Can't create TFTP listener socket");
}

TEST_F(ListenerFailure, AsAnOrdinaryUserWithTheUnprivilegedPortsTakenTooCannotBeBound)
{
    // Ports 69 to 168 are refused to an ordinary user; the fallback range is held here.
    if (!can_become_ordinary_user()) GTEST_SKIP() << "no other user to become here (run as root)";
    start_device();
    hold_ports(tftp::first_unprivileged_listener_port, tftp::listener_port_attempts);
    const HarnessRun result = run_as_ordinary_user();
    expect_ended_before_the_upgrade_request(result, "Upgrade Failed: Can't bind TFTP listener socket");
    // Each range with its own reason: the fallback's is not the privilege.
    EXPECT_TRUE(
        result.in_order({"trace \"TFTP bind " + hex_pc() + ":69-168 failed: Permission denied\\n\"",
                         "trace \"TFTP bind " + hex_pc() + ":10069-10168 failed: Address already in use\\n\""}));
}

}  // namespace
}  // namespace voq::test
