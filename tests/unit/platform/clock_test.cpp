#include "platform/clock.h"

#include <gtest/gtest.h>

namespace voq::platform {
namespace {

TEST(Milliseconds, AdvancesAtLeastByWhatWasSlept)
{
    const std::uint32_t before = milliseconds();
    sleep_milliseconds(25);
    // Unsigned difference: correct across the 32-bit wrap too.
    EXPECT_GE(static_cast<std::uint32_t>(milliseconds() - before), 25u);
}

}  // namespace
}  // namespace voq::platform
