// The tests' own file reader and child runner, which every other test leans on.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "support/child_process.h"
#include "support/files.h"

namespace voq::test {
namespace {

namespace fs = std::filesystem;

class Scratch : public ::testing::Test {
protected:
    const ScratchFolder scratch{"voq-support-test"};
    const fs::path& folder = scratch.path();
};

TEST_F(Scratch, AFileIsReadWholeAsBytesUpToTheLimit)
{
    std::string binary(200000, 'x');
    binary[7] = '\0';
    binary[150000] = '\r';
    std::ofstream(folder / "binary", std::ios::binary) << binary;
    // A sparse file past the limit costs no disk.
    std::ofstream(folder / "huge").close();
    fs::resize_file(folder / "huge", file_read_limit + 4096);
    const struct {
        const char* name;
        std::size_t size;
    } cases[] = {{"binary", binary.size()}, {"huge", file_read_limit}, {"missing", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(read_file(folder / c.name).size(), c.size);
    }
    EXPECT_EQ(read_file(folder / "binary"), binary);
    EXPECT_EQ(read_file_bytes(folder / "binary").size(), binary.size());
}

TEST_F(Scratch, AChildEndsWithItsStatusOrIsKilledAtItsDeadline)
{
    const struct {
        const char* name;
        std::vector<std::string> command;
        Ending ending;
    } cases[] = {
        {"ends well", {"true"}, {0, false}},
        {"fails", {"sh", "-c", "exit 3"}, {3, false}},
        {"not found", {"voq-no-such-program"}, {127, false}},
        {"hangs", {"sleep", "30"}, {-1, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Ending ending = run_by_deadline(c.command, 500);
        EXPECT_EQ(ending.status, c.ending.status);
        EXPECT_EQ(ending.hung, c.ending.hung);
    }
}

TEST_F(Scratch, AChildsStreamsAndEnvironmentAreItsOwn)
{
    ::setenv("VOQ_SUPPORT_TEST_TAKEN", "here", 1);
    const std::string out = (folder / "out").string(), err = (folder / "err").string();
    std::ofstream(folder / "in") << "typed\n";
    const Ending ending = run_by_deadline(
        {"sh", "-c",
         "read line; echo \"$line ${VOQ_SUPPORT_TEST_GIVEN} ${VOQ_SUPPORT_TEST_TAKEN:-gone}\"; echo said >&2"},
        5000, {(folder / "in").string(), out, err},
        {{{"VOQ_SUPPORT_TEST_GIVEN", "given"}}, {"VOQ_SUPPORT_TEST_TAKEN"}});
    ::unsetenv("VOQ_SUPPORT_TEST_TAKEN");
    EXPECT_EQ(ending.status, 0);
    EXPECT_EQ(read_file(out), "typed given gone\n");
    EXPECT_EQ(read_file(err), "said\n");
}

TEST(RunCommand, CollectsStandardOutputAndTheStatus)
{
    const struct {
        const char* command;
        CommandResult result;
    } cases[] = {
        {"printf 'a\\nb'", {0, "a\nb"}},
        {"echo out; echo error >&2; exit 4", {4, "out\n"}},
        {"kill -TERM $$", {128 + SIGTERM, ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const CommandResult result = run_command(c.command);
        EXPECT_EQ(result.status, c.result.status);
        EXPECT_EQ(result.output, c.result.output);
    }
}

}  // namespace
}  // namespace voq::test
