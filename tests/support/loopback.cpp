#include "support/loopback.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace voq::test {

namespace {

#ifdef VOQ_LOOPBACK_CLAIMS
std::string running_test_name()
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return test == nullptr ? "(outside a test)" : std::string(test->test_suite_name()) + "." + test->name();
}

// One file a pair, named for the pair and holding the process and the test that took
// it; the folder is emptied when a test run starts (the fixture loopback_pairs). The
// file is written in full under another name and then linked into place, which fails
// when the pair's file exists: of two tests taking a pair at the same moment, one wins.
// The tests of one process run one after the other and may share a pair.
std::string claim(unsigned n, const std::string& test)
{
    const std::string path = std::string(VOQ_LOOPBACK_CLAIMS) + "/pair-" + std::to_string(n);
    const std::string draft = path + "." + std::to_string(::getpid());
    const std::string process = std::to_string(::getpid());
    std::ofstream(draft) << process << ' ' << test;
    const int linked = ::link(draft.c_str(), path.c_str());
    const int error = errno;
    std::remove(draft.c_str());
    // Outside a test run (the program started by hand) there is no folder to write in.
    if (linked == 0 || error != EEXIST) return test;
    std::string holder_process, holder;
    std::ifstream(path) >> holder_process >> holder;
    return holder_process == process ? test : holder;
}
#endif

}  // namespace

LoopbackPair loopback_pair(unsigned n)
{
#ifdef VOQ_LOOPBACK_CLAIMS
    const std::string test = running_test_name();
    const std::string holder = claim(n, test);
    if (holder != test)
        ADD_FAILURE() << "loopback pair " << n << " is taken by " << holder
                      << " in this test run; take a free one (tests/support/loopback.h)";
#endif
    return pair_addresses(n);
}

}  // namespace voq::test
