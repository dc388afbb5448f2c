// The loopback pairs' claims: the first free pair, never one pair to two processes.

#include "support/loopback_claim.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

#include "support/files.h"
#include "ui/views.h"

namespace voq::test {
namespace {

namespace fs = std::filesystem;

class Claims : public ::testing::Test {
protected:
    const ScratchFolder scratch{"voq-claims-test"};
    const fs::path& folder = scratch.path();
    std::optional<unsigned> claim() { return claim_first_free_pair(folder.string(), "Claims.test"); }
};

TEST(PairAddresses, StayInsideLoopbackAndClearOfTheReservedBlocks)
{
    const struct {
        unsigned n;
        const char* pc;
        const char* device;
    } cases[] = {
        {first_pair, "127.16.0.1", "127.16.0.2"},
        {first_pair + 255, "127.16.255.1", "127.16.255.2"},
        {first_pair + 256, "127.17.0.1", "127.17.0.2"},
        {last_pair, "127.254.255.1", "127.254.255.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(ui::dotted(pair_addresses(c.n).pc), c.pc);
        EXPECT_EQ(ui::dotted(pair_addresses(c.n).device), c.device);
    }
}

TEST_F(Claims, TakeTheLowestPairWithoutAClaim)
{
    // Claims left by others: the first pair, the third and the fourth.
    for (const unsigned n : {first_pair, first_pair + 2, first_pair + 3})
        std::ofstream(folder / ("pair-" + std::to_string(n))) << "1 Other.test\n";
    EXPECT_EQ(claim(), first_pair + 1);
    EXPECT_EQ(claim(), first_pair + 4);
    EXPECT_EQ(claim(), first_pair + 5);
    EXPECT_EQ(read_file(folder / ("pair-" + std::to_string(first_pair + 1))),
              std::to_string(::getpid()) + " Claims.test\n");
    // Only the claims are left: no draft.
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        files += entry.path().filename().string().starts_with("pair-");
    EXPECT_EQ(files, static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator())));
}

TEST_F(Claims, NoneWithoutAFolderToClaimIn)
{
    EXPECT_EQ(claim_first_free_pair((folder / "missing").string(), "Claims.test"), std::nullopt);
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

// Processes claiming at the same moment, as parallel test programs do: each pair goes
// to one of them, and together they hold the lowest pairs without a gap.
TEST_F(Claims, ProcessesClaimingAtOnceNeverShareAPair)
{
    constexpr unsigned processes = 8, each = 25;
    int results[2];
    ASSERT_EQ(::pipe(results), 0);
    std::vector<pid_t> children;
    for (unsigned p = 0; p < processes; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned k = 0; k < each; ++k) {
                const unsigned n = claim().value_or(0);
                if (::write(results[1], &n, sizeof n) != sizeof n) ::_exit(1);
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    ::close(results[1]);
    std::multiset<unsigned> claimed;
    for (unsigned n = 0; ::read(results[0], &n, sizeof n) == sizeof n;) claimed.insert(n);
    ::close(results[0]);
    for (const pid_t child : children) ::waitpid(child, nullptr, 0);
    ASSERT_EQ(claimed.size(), processes * each);
    std::set<unsigned> expected;
    for (unsigned n = first_pair; n < first_pair + processes * each; ++n) expected.insert(n);
    EXPECT_EQ(std::set<unsigned>(claimed.begin(), claimed.end()), expected);
}

}  // namespace
}  // namespace voq::test
