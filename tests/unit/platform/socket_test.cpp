#include "platform/socket.h"
#include "platform/waiting_receiver.h"

#include <gtest/gtest.h>

#include <cstring>

namespace voq::platform {
namespace {

constexpr std::uint32_t loopback = 0x7f000001;

SocketAddress ipv4(std::uint32_t address, std::uint16_t port)
{
    return {address_family_ipv4, host_to_network(port), host_to_network(address)};
}

Socket bound_datagram_socket()
{
    Socket socket(open_datagram_socket());
    EXPECT_TRUE(socket.valid());
    EXPECT_EQ(bind_socket(socket.handle(), ipv4(loopback, 0)), BindResult::bound);
    return socket;
}

TEST(SocketShim, WaitReadableTimesOutThenSeesADatagram)
{
    Socket receiver = bound_datagram_socket();
    Socket sender = bound_datagram_socket();
    SocketAddress receiver_address, sender_address;
    ASSERT_TRUE(local_address_of(receiver.handle(), receiver_address));
    ASSERT_TRUE(local_address_of(sender.handle(), sender_address));
    EXPECT_EQ(network_to_host(receiver_address.address), loopback);

    EXPECT_EQ(wait_readable(receiver.handle(), 1), Readiness::timed_out);
    ASSERT_EQ(send_datagram(sender.handle(), "ping", 4, receiver_address), 4);
    EXPECT_EQ(wait_readable(receiver.handle(), 5000), Readiness::readable);

    char buffer[16] = {};
    SocketAddress from;
    EXPECT_EQ(receive_datagram(receiver.handle(), buffer, sizeof buffer, from), 4);
    EXPECT_EQ(std::memcmp(buffer, "ping", 4), 0);
    EXPECT_EQ(from.family, address_family_ipv4);
    EXPECT_EQ(from.address, sender_address.address);
    EXPECT_EQ(from.port, sender_address.port);
}

TEST(SocketShim, NonBlockingReceiveReturnsAtOnceWhenNothingWaits)
{
    Socket receiver = bound_datagram_socket();
    ASSERT_TRUE(set_non_blocking(receiver.handle()));
    char buffer[4];
    SocketAddress from;
    EXPECT_LT(receive_datagram(receiver.handle(), buffer, sizeof buffer, from), 0);
}

// A receive bounded this way is what lets a blocking loop look at its stop flag: one
// left unbounded would wait for good (the test's time-out would end it).
TEST(SocketShim, AReceiveWithATimeLimitReturnsEmptyThenTakesADatagram)
{
    Socket receiver = bound_datagram_socket();
    Socket sender = bound_datagram_socket();
    SocketAddress receiver_address;
    ASSERT_TRUE(local_address_of(receiver.handle(), receiver_address));
    ASSERT_TRUE(set_receive_time_limit(receiver.handle(), 5));

    char buffer[16] = {};
    SocketAddress from;
    EXPECT_LT(receive_datagram(receiver.handle(), buffer, sizeof buffer, from), 0);
    ASSERT_EQ(send_datagram(sender.handle(), "ping", 4, receiver_address), 4);
    EXPECT_EQ(receive_datagram(receiver.handle(), buffer, sizeof buffer, from), 4);
    EXPECT_EQ(std::memcmp(buffer, "ping", 4), 0);
    EXPECT_FALSE(set_receive_time_limit(invalid_socket, 5));
}

// Waits long enough for the socket's own time limit and short enough for the exact poll;
// the socket lent must be non-blocking again after, or the listener's next look would hang.
TEST(SocketShim, AWaitingReceiverTakesWhatComesAndGivesTheSocketBackNonBlocking)
{
    Socket receiver = bound_datagram_socket();
    Socket sender = bound_datagram_socket();
    SocketAddress receiver_address;
    ASSERT_TRUE(local_address_of(receiver.handle(), receiver_address));
    ASSERT_TRUE(set_non_blocking(receiver.handle()));
    char buffer[16] = {};
    SocketAddress from;
    {
        WaitingReceiver waiting(receiver.handle());
        for (const unsigned wait_ms : {0u, 5u, 45u}) {
            EXPECT_LT(waiting.receive(buffer, sizeof buffer, from, wait_ms), 0) << wait_ms;
            ASSERT_EQ(send_datagram(sender.handle(), "ping", 4, receiver_address), 4);
            EXPECT_EQ(waiting.receive(buffer, sizeof buffer, from, wait_ms == 0 ? 5000 : wait_ms), 4) << wait_ms;
        }
    }
    EXPECT_LT(receive_datagram(receiver.handle(), buffer, sizeof buffer, from), 0);
}

TEST(SocketShim, BindingAPortInUseFails)
{
    Socket first = bound_datagram_socket();
    SocketAddress taken;
    ASSERT_TRUE(local_address_of(first.handle(), taken));
    Socket second(open_datagram_socket());
    EXPECT_EQ(bind_socket(second.handle(), taken), BindResult::failed);
}

TEST(SocketShim, ConnectToAClosedPortFailsAndSendingToAClosedStreamIsHarmless)
{
    // A port that was just free: bound, then let go.
    SocketAddress free_port;
    {
        Socket probe(open_stream_socket());
        ASSERT_EQ(bind_socket(probe.handle(), ipv4(loopback, 0)), BindResult::bound);
        ASSERT_TRUE(local_address_of(probe.handle(), free_port));
    }
    Socket client(open_stream_socket());
    EXPECT_FALSE(connect_socket(client.handle(), free_port));
    EXPECT_LT(send_bytes(client.handle(), "x", 1), 0);  // and no signal ends the test
}

TEST(SocketShim, ByteOrderConversionsRoundTrip)
{
    EXPECT_EQ(network_to_host(host_to_network(std::uint32_t{0x0a000102})), 0x0a000102u);
    EXPECT_EQ(network_to_host(host_to_network(std::uint16_t{69})), 69u);
    const std::uint32_t network = host_to_network(std::uint32_t{0x01020304});
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(&network)[0], 1);
}

}  // namespace
}  // namespace voq::platform
