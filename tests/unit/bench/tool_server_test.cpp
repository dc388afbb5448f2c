#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "bench/tool_server.h"
#include "firmware/placeholder.h"
#include "sim/tftp_client.h"
#include "support/loopback.h"

namespace voq::bench {
namespace {

sim::Fetch fetch_from(const ToolServer& server, std::uint32_t client_address)
{
    sim::TftpConfig client;
    client.request_delay_ms = 0;
    client.dally_ms = 0;
    client.patience_ms = 3000;
    const std::atomic<bool> stop{false};
    return sim::fetch_firmware(client_address, {server.address(), server.port(), "firmware.bin"}, client, stop,
                               [](std::string_view) {});
}

// One thread for every delivery, each with the image asked for last, as the listener
// serves the two of staged mode.
TEST(ToolServer, DeliversEachImageAskedForOnTheSameThread)
{
    const test::LoopbackPair addresses = test::loopback_pair();
    ToolServer server(addresses.pc, 16969, "firmware.bin");
    ASSERT_TRUE(server.started());
    const pid_t thread = server.thread_id();
    for (const std::uint32_t size : {1024u, 700u * 512u + 11u}) {
        const std::vector<std::uint8_t> image = fw::make_placeholder_image(size, "VOQ-3300", "2.0.14(SE)");
        server.deliver({{image.data(), image.size()}, static_cast<std::uint32_t>(image.size()), {}});
        const sim::Fetch fetch = fetch_from(server, addresses.device);
        EXPECT_TRUE(fetch.complete) << size;
        EXPECT_EQ(fetch.bytes, image) << size;
        EXPECT_EQ(server.wait_delivered(), tftp::Outcome::complete) << size;
        EXPECT_EQ(server.thread_id(), thread);
    }
}

// Its thread waits for a read request that may never come; going must not hang there.
TEST(ToolServer, GoesWhileWaitingForARequest)
{
    const test::LoopbackPair addresses = test::loopback_pair();
    ToolServer server(addresses.pc, 16969, "firmware.bin");
    ASSERT_TRUE(server.started());
    const std::vector<std::uint8_t> image(100, 0x5a);
    server.deliver({{image.data(), image.size()}, static_cast<std::uint32_t>(image.size()), {}});
}

}  // namespace
}  // namespace voq::bench
