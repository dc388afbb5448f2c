#include "support/loopback.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <sys/stat.h>

namespace voq::test {

#ifdef VOQ_LOOPBACK_CLAIMS
namespace {

std::string running_test_name()
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return test == nullptr ? "(outside a test)" : std::string(test->test_suite_name()) + "." + test->name();
}

}  // namespace
#endif

LoopbackPair loopback_pair()
{
#ifdef VOQ_LOOPBACK_CLAIMS
    // The folder is emptied as a test run starts (the fixture loopback_pairs). A program
    // started by hand before any run has none, and counts its pairs alone.
    struct stat folder {};
    if (::stat(VOQ_LOOPBACK_CLAIMS, &folder) == 0) {
        const std::optional<unsigned> n = claim_first_free_pair(VOQ_LOOPBACK_CLAIMS, running_test_name());
        if (!n) throw std::runtime_error("no loopback pair is free in " VOQ_LOOPBACK_CLAIMS);
        return pair_addresses(*n);
    }
#endif
    static std::atomic<unsigned> taken{first_pair - 1};
    const unsigned n = ++taken;
    if (n > last_pair) throw std::runtime_error("no loopback pair is free");
    return pair_addresses(n);
}

}  // namespace voq::test
