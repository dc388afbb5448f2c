#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/clock.h"

namespace voq::platform {
namespace {

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
    release = true;
    while (!thread.finished()) sleep_milliseconds(1);
    EXPECT_EQ(thread.result(), -7);  // negative results arrive unchanged
    EXPECT_EQ(thread.result(), -7);
}

TEST(Thread, DroppedWhileRunningItGoesOnToTheEnd)
{
    static std::atomic<bool> release{false};
    static std::atomic<bool> ran_to_end{false};
    {
        Thread thread = Thread::start(
            [](void*) {
                while (!release.load()) sleep_milliseconds(1);
                ran_to_end = true;
                return 0;
            },
            nullptr);
        ASSERT_TRUE(thread.valid());
    }
    release = true;
    while (!ran_to_end.load()) sleep_milliseconds(1);
}

TEST(Thread, AnEmptyThreadIsNeverFinished)
{
    Thread thread;
    EXPECT_FALSE(thread.valid());
    EXPECT_FALSE(thread.finished());
}

}  // namespace
}  // namespace voq::platform
