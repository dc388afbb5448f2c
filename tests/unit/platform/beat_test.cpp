#include "platform/beat.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

namespace voq::platform {
namespace {

constexpr std::uint32_t loopback = 0x7f000001;

struct Pair {
    Socket receiver{open_datagram_socket()};
    Socket sender{open_datagram_socket()};
    SocketAddress receiver_address{};

    Pair()
    {
        const SocketAddress any_port{address_family_ipv4, 0, host_to_network(loopback)};
        EXPECT_EQ(bind_socket(receiver.handle(), any_port), BindResult::bound);
        EXPECT_TRUE(local_address_of(receiver.handle(), receiver_address));
    }
    void send() { ASSERT_EQ(send_datagram(sender.handle(), "ack", 3, receiver_address), 3); }
};

// However many beats pile up while nobody waits, waits that follow may not come
// faster than one a millisecond: a transfer counts its retransmissions in them.
TEST(Beat, WaitsOnASilentSocketComeNoFasterThanOneAMillisecond)
{
    struct Case {
        const char* name;
        unsigned busy_ms;  // away from the beat before the waits
    };
    for (const Case& c : {Case{"waiting from the start", 0}, Case{"after 20 ms away", 20}}) {
        SCOPED_TRACE(c.name);
        Pair pair;
        Beat beat;
        sleep_milliseconds(c.busy_ms);
        EXPECT_EQ(beat.wait_readable(pair.receiver.handle()), Readiness::timed_out);
        const std::uint32_t start = milliseconds();
        for (int k = 0; k < 50; ++k) ASSERT_EQ(beat.wait_readable(pair.receiver.handle()), Readiness::timed_out);
        EXPECT_GE(milliseconds() - start, 49u);
    }
}

TEST(Beat, ADatagramEndsTheWaitEvenWithABeatPending)
{
    Pair pair;
    Beat beat;
    sleep_milliseconds(5);
    pair.send();
    EXPECT_EQ(beat.wait_readable(pair.receiver.handle()), Readiness::readable);
    // Left unread, it goes on ending every wait.
    EXPECT_EQ(beat.wait_readable(pair.receiver.handle()), Readiness::readable);
}

TEST(Beat, WaitingForTheBeatAloneLetsADatagramWait)
{
    Pair pair;
    Beat beat;
    pair.send();
    const std::uint32_t start = milliseconds();
    for (int k = 0; k < 11; ++k) beat.wait();
    EXPECT_GE(milliseconds() - start, 9u);
    EXPECT_EQ(wait_readable(pair.receiver.handle(), 0), Readiness::readable);
}

}  // namespace
}  // namespace voq::platform
