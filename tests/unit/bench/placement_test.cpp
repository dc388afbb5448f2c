#include <gtest/gtest.h>

#include <vector>

#include "bench/placement.h"

namespace voq::bench {
namespace {

TEST(Placement, TheNthOfTheGivenCpusOrTheLastOfThem)
{
    struct Case {
        std::vector<int> given;
        int nth;
        int expected;
    };
    const Case cases[] = {
        {{0, 1}, 0, 0}, {{0, 1}, 1, 1}, {{2, 5, 7}, 1, 5}, {{3}, 1, 3},  // one CPU: "apart" is the same one
        {{4, 6}, 5, 6}, {{}, 0, 0},
    };
    for (const Case& c : cases) {
        cpu_set_t cpus;
        CPU_ZERO(&cpus);
        for (const int cpu : c.given) CPU_SET(cpu, &cpus);
        EXPECT_EQ(nth_cpu(cpus, c.nth), c.expected) << c.given.size() << " CPUs, nth " << c.nth;
    }
}

}  // namespace
}  // namespace voq::bench
