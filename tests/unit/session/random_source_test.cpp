#include "session/random_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace voq::session {
namespace {

TEST(RandomSource, FollowsTheLinearCongruentialSequence)
{
    RandomSource source;
    seed_random(source, 1);
    EXPECT_EQ(next_random(source), 41);
    EXPECT_EQ(next_random(source), 18467);
    EXPECT_EQ(next_random(source), 6334);

    seed_random(source, 0);
    EXPECT_EQ(next_random(source), 38);  // 2531011 >> 16
}

TEST(RandomSource, DrawsFromTwoThreadsNeitherRepeatNorSkipAState)
{
    constexpr int per_thread = 20000;
    RandomSource sequential;
    seed_random(sequential, 7);
    std::vector<int> expected;
    for (int i = 0; i < 2 * per_thread; ++i) expected.push_back(next_random(sequential));

    RandomSource shared;
    seed_random(shared, 7);
    std::vector<int> first, second;
    std::thread a([&] {
        for (int i = 0; i < per_thread; ++i) first.push_back(next_random(shared));
    });
    std::thread b([&] {
        for (int i = 0; i < per_thread; ++i) second.push_back(next_random(shared));
    });
    a.join();
    b.join();

    std::vector<int> drawn = first;
    drawn.insert(drawn.end(), second.begin(), second.end());
    std::sort(drawn.begin(), drawn.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(drawn, expected);
}

}  // namespace
}  // namespace voq::session
