// Children run to their end through the one runner the command-line program's lists
// and the fleet benchmark share: real processes, a shell as the child.

#include "platform/child_process.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>
#include <unistd.h>

namespace voq::platform {
namespace {

ChildRun shell(const std::string& script, const ChildSettings& settings = {})
{
    return run_child({"/bin/sh", "-c", script}, settings);
}

TEST(RunChild, StatusAndOutputAsTheChildLeftThem)
{
    const struct {
        const char* script;
        int status;
        std::string output;
    } cases[] = {
        {"exit 0", 0, ""},
        {"printf 'one\\ntwo\\n'; exit 3", 3, "one\ntwo\n"},
        {"exit 130", 130, ""},  // a status of its own that looks like a signal's stays as it is
        {"kill -TERM $$", 128 + SIGTERM, ""},
        {"kill -KILL $$", 128 + SIGKILL, ""},
        {"echo on-error >&2; echo kept", 0, "kept\n"},    // standard error is not output
        {"read line; echo \"[$line] $?\"", 0, "[] 1\n"},  // standard input is empty, never this process's
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        const ChildRun run = shell(c.script);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.output, c.output);
    }
}

TEST(RunChild, AProgramThatCannotStartIsMinusOne)
{
    EXPECT_EQ(run_child({"/nonexistent/voq-no-such-program"}, {}).status, -1);
    EXPECT_EQ(run_child({}, {}).status, -1);
}

TEST(RunChild, KeepsTheFirstMebibyteOfOutputAndStillWaitsForTheEnd)
{
    const ChildRun run = shell("head -c 3000000 /dev/zero; exit 4");
    EXPECT_EQ(run.status, 4);
    EXPECT_GE(run.output.size(), std::size_t{1} << 20);
    EXPECT_LT(run.output.size(), (std::size_t{1} << 20) + 4096);
}

TEST(RunChild, TellsTheChildsIdWhileItRuns)
{
    long told = 0;
    ChildSettings settings;
    settings.started = [&](long child) { told = child; };
    const ChildRun run = shell("echo $$", settings);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, std::to_string(told) + "\n");
}

// The child waits in a group of its own, which a terminal's signal would not reach:
// the runner passes the one it is given, once.
TEST(RunChild, PassesTheSignalItIsGivenOnce)
{
    int asked = 0;
    ChildSettings settings;
    settings.signal_to_pass = [&] { return ++asked >= 3 ? SIGTERM : 0; };
    const ChildRun run = shell(
        "trap 'echo caught; exit 7' TERM; set -- $(cat /proc/$$/stat); echo \"$5 $$\"; "
        "while :; do sleep 0.05; done",
        settings);
    EXPECT_EQ(run.status, 7);
    const std::size_t space = run.output.find(' ');
    ASSERT_NE(space, std::string::npos) << run.output;
    EXPECT_EQ(run.output.substr(0, space), run.output.substr(space + 1, run.output.find('\n') - space - 1))
        << "not a process group of its own: " << run.output;
    EXPECT_NE(run.output.find("caught"), std::string::npos) << run.output;
}

// Woken by its descriptor, the runner asks at its start and once woken, not every few ms.
TEST(RunChild, AsksForTheSignalOnlyWhenItsDescriptorWakesIt)
{
    int came[2];
    ASSERT_EQ(::pipe(came), 0);
    std::atomic<int> signal{0}, asked{0};
    std::thread later;
    const auto wake_later = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        signal = SIGTERM;
        (void)::write(came[1], "x", 1);
    };
    const ChildRun run = shell("exec sleep 30", {false, [&] { return ++asked, signal.load(); }, came[0],
                                                 [&](long) { later = std::thread(wake_later); }});
    later.join();
    for (const int end : came) ::close(end);
    EXPECT_EQ(run.status, 128 + SIGTERM);
    EXPECT_LE(asked.load(), 2);
}

TEST(RunChild, CountsTheTimeOfTheChildrenItWaitedFor)
{
    const ChildRun run = shell("/bin/sh -c 'i=0; while [ $i -lt 200000 ]; do i=$((i+1)); done'; exit 0");
    EXPECT_EQ(run.status, 0);
    EXPECT_GT(run.cpu_seconds, 0.0);
}

}  // namespace
}  // namespace voq::platform
