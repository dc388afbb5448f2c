#include <gtest/gtest.h>

#include <vector>

#include "bench/statistics.h"

namespace voq::bench {
namespace {

TEST(Spread, MedianLeastAndGreatestOfUnorderedSamples)
{
    struct Case {
        std::vector<double> samples;
        Spread expected;
    };
    const Case cases[] = {
        {{}, {0, 0, 0}},
        {{7}, {7, 7, 7}},
        {{9, 1, 5}, {5, 1, 9}},
        {{4, 1, 3, 2}, {2.5, 1, 4}},    // an even count: the mean of the middle two
        {{2, 2, 2, 100}, {2, 2, 100}},  // one slow run does not move it
        {{3.5, 0.5}, {2, 0.5, 3.5}},
    };
    for (const Case& test : cases) {
        const Spread spread = spread_of(test.samples);
        EXPECT_DOUBLE_EQ(spread.median, test.expected.median);
        EXPECT_DOUBLE_EQ(spread.minimum, test.expected.minimum);
        EXPECT_DOUBLE_EQ(spread.maximum, test.expected.maximum);
    }
}

}  // namespace
}  // namespace voq::bench
