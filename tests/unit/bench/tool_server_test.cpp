#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "bench/client_at_once.h"
#include "bench/tool_server.h"
#include "firmware/placeholder.h"
#include "sim/tftp_client.h"
#include "support/loopback.h"

namespace voq::bench {
namespace {

fw::FirmwareImage served(const std::vector<std::uint8_t>& image)
{
    return {{image.data(), image.size()}, static_cast<std::uint32_t>(image.size()), {}};
}

// A server on a pair of its own, and the simulated device's client fetching from it.
class ToolServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.started()); }

    sim::Fetch fetch_image(std::uint32_t patience_ms = 3000)
    {
        const std::atomic<bool> stop{false};
        return sim::fetch_firmware(addresses.device, {server.address(), server.port(), "firmware.bin"},
                                   client_at_once(false, patience_ms), stop, [](std::string_view) {});
    }

    const test::LoopbackPair addresses = test::loopback_pair();
    ToolServer server{addresses.pc, 16969, "firmware.bin"};
};

// Each delivery with the image asked for last, as the listener serves the two of
// staged mode.
TEST_F(ToolServerTest, DeliversEachImageAskedFor)
{
    for (const std::uint32_t size : {1024u, 700u * 512u + 11u}) {
        const std::vector<std::uint8_t> image = fw::make_placeholder_image(size, "VOQ-3300", "2.0.14(SE)");
        server.deliver(served(image));
        const sim::Fetch fetch = fetch_image();
        // Waiting for the outcome of a delivery that never began would wait for ever.
        ASSERT_FALSE(fetch.option_acknowledgement.empty()) << size;
        EXPECT_TRUE(fetch.complete) << size;
        EXPECT_EQ(fetch.bytes, image) << size;
        EXPECT_EQ(server.wait_delivered(), tftp::Outcome::complete) << size;
        EXPECT_GE(server.last_cpu(), 0);
    }
}

// An image withdrawn is not served to a request that comes after: the image may be
// gone by then.
TEST_F(ToolServerTest, ServesNothingOnceTheImageIsWithdrawn)
{
    {
        const std::vector<std::uint8_t> image(100, 0x5a);
        server.deliver(served(image));
        server.withdraw();
    }
    const sim::Fetch fetch = fetch_image(300);
    EXPECT_TRUE(fetch.option_acknowledgement.empty());
    EXPECT_FALSE(fetch.complete);
}

// Its thread waits for a read request that may never come; going must not hang there.
TEST_F(ToolServerTest, GoesWhileWaitingForARequest)
{
    // The request that ends the wait names the file, and must end it without serving
    // the image, which may be gone by then.
    const std::vector<std::uint8_t> image(100, 0x5a);
    server.deliver(served(image));
    server.stop();
    EXPECT_FALSE(server.started()) << "its thread is still there";
    EXPECT_EQ(server.deliveries(), 0) << "the request that ended the wait was served";
}

}  // namespace
}  // namespace voq::bench
