#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/clock.h"

namespace voq::platform {
namespace {

// Whether done() holds within ten seconds, looked at every millisecond.
template <typename Condition>
bool eventually(Condition done)
{
    const std::uint32_t started = milliseconds();
    while (!done()) {
        if (milliseconds() - started > 10000) return false;
        sleep_milliseconds(1);
    }
    return true;
}

int wait_for_release(void* argument)
{
    auto* release = static_cast<std::atomic<bool>*>(argument);
    while (!release->load()) sleep_milliseconds(1);
    return -7;
}

TEST(Thread, ReportsCompletionWithoutWaitingAndKeepsTheResult)
{
    std::atomic<bool> release{false};
    Thread thread = Thread::start(wait_for_release, &release);
    ASSERT_TRUE(thread.valid());
    EXPECT_FALSE(thread.finished());
    EXPECT_FALSE(thread.wait_for(1));
    release = true;
    ASSERT_TRUE(thread.wait_for(10000)) << "a bounded wait did not see it end";
    EXPECT_EQ(thread.result(), -7);  // negative results arrive unchanged
    EXPECT_EQ(thread.result(), -7);
}

TEST(Thread, DroppedWhileRunningItGoesOnToTheEnd)
{
    static std::atomic<bool> release{false};
    static std::atomic<bool> ran_to_end{false};
    // Should dropping the thread wait for it, the watchdog lets it end after a while,
    // and the test says so instead of hanging.
    std::atomic<bool> test_over{false};
    std::thread watchdog([&] {
        eventually([&] { return test_over.load(); });
        release = true;
    });
    {
        Thread thread = Thread::start(
            [](void*) {
                while (!release.load()) sleep_milliseconds(1);
                ran_to_end = true;
                return 0;
            },
            nullptr);
        EXPECT_TRUE(thread.valid());
    }
    EXPECT_FALSE(release.load()) << "dropping the thread waited for it to end";
    EXPECT_FALSE(ran_to_end.load());
    release = true;
    EXPECT_TRUE(eventually([] { return ran_to_end.load(); })) << "the dropped thread did not run to its end";
    test_over = true;
    watchdog.join();
}

TEST(Thread, AnEmptyThreadIsNeverFinished)
{
    Thread thread;
    EXPECT_FALSE(thread.valid());
    EXPECT_FALSE(thread.finished());
    EXPECT_FALSE(thread.wait_for(1));
}

}  // namespace
}  // namespace voq::platform
