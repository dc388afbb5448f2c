// The support log's file: its name and time stamps, its folder made and pruned, and
// lines that reach the file as they are written.

#include "support/files.h"
#include "ui/support_log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace voq::ui {
namespace {

using namespace std::chrono;
using namespace record;

class Folder : public ::testing::Test {
protected:
    const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("voq-log-test-" + std::to_string(::getpid()));
    void TearDown() override { std::filesystem::remove_all(root); }
};

TEST(LogTime, UtcWithMillisecondsAndTheCalendarRight)
{
    const struct {
        long long ms;
        const char* time;
        const char* name;
    } cases[] = {
        {0, "1970-01-01 00:00:00.000", "voq-upgrade-19700101-000000-000.log"},
        {951782400123, "2000-02-29 00:00:00.123", "voq-upgrade-20000229-000000-123.log"},
        {1796744544999, "2026-12-08 15:42:24.999", "voq-upgrade-20261208-154224-999.log"},
        {4107542399000, "2100-02-28 23:59:59.000", "voq-upgrade-21000228-235959-000.log"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        const system_clock::time_point when{duration_cast<system_clock::duration>(milliseconds(c.ms))};
        EXPECT_EQ(log_time(when), c.time);
        EXPECT_EQ(support_log_name(when), c.name);
    }
}

TEST(LogsToRemove, TheOldestOfTheLogsAloneLeavingRoomForOneMore)
{
    std::vector<std::string> names{"notes.txt", "voq-upgrade-20261208-000000-000.log.bak"};
    for (int k = 10; k < 35; ++k) names.push_back("voq-upgrade-202612" + std::to_string(k) + "-000000-000.log");
    const auto removed = logs_to_remove(names, 20);
    ASSERT_EQ(removed.size(), 6u);  // 25 logs: 19 stay, the new one makes 20
    EXPECT_EQ(removed.front(), "voq-upgrade-20261210-000000-000.log");
    EXPECT_EQ(removed.back(), "voq-upgrade-20261215-000000-000.log");
    EXPECT_TRUE(logs_to_remove({"voq-upgrade-1.log"}, 20).empty());
}

TEST(LogsToRemove, TwinsOfOneMillisecondGoInTheOrderTheyWereMade)
{
    const std::vector<std::string> names{"voq-upgrade-20261208-154224-124.log",
                                         "voq-upgrade-20261208-154224-123-10.log",
                                         "voq-upgrade-20261208-154224-123-2.log", "voq-upgrade-20261208-154224-123.log",
                                         "voq-upgrade-20261208-154224-123-x.log"};
    EXPECT_EQ(logs_to_remove(names, 2),
              (std::vector<std::string>{"voq-upgrade-20261208-154224-123.log", "voq-upgrade-20261208-154224-123-2.log",
                                        "voq-upgrade-20261208-154224-123-10.log"}));
}

#ifdef _WIN32
// Windows keeps no such modes: the folder under %LOCALAPPDATA% is the user's alone by the
// rights it inherits.
#define EXPECT_MODE(path, mode)
unsigned set_umask(unsigned mask) { return mask; }
#else
#define EXPECT_MODE(path, mode) EXPECT_EQ(mode_of(path), mode)
unsigned set_umask(unsigned mask) { return ::umask(mask); }

unsigned mode_of(const std::filesystem::path& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 0777 : 0;
}
#endif

TEST_F(Folder, IsMadeWhenMissingTheUsersAloneAndKeepsTheTwentyNewest)
{
    const std::filesystem::path folder = root / "state" / "voq-upgrade";
    const unsigned umask = set_umask(022);
    {
        SupportLog log = SupportLog::in_folder(folder);
        ASSERT_TRUE(log.writing());
        log.begin("voq-upgrade", "0.1.0");
        EXPECT_MODE(log.path(), 0600u);
    }
    EXPECT_MODE(root, 0700u);
    EXPECT_MODE(root / "state", 0700u);
    EXPECT_MODE(folder, 0700u);
    // One an earlier version left open to others is closed.
    std::filesystem::permissions(folder, std::filesystem::perms(0755));
    EXPECT_TRUE(SupportLog::in_folder(folder).writing());
    EXPECT_MODE(folder, 0700u);
    EXPECT_MODE(root, 0700u);
    set_umask(umask);
    for (int k = 0; k < 25; ++k)
        std::ofstream(
            folder / ("voq-upgrade-2000010" + std::to_string(k % 10) + "-00000" + std::to_string(k / 10) + "-000.log"));
    std::ofstream(folder / "keep-me.txt") << "not a log";
    SupportLog newest = SupportLog::in_folder(folder);
    ASSERT_TRUE(newest.writing());
    std::size_t logs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        logs += entry.path().extension() == ".log" ? 1 : 0;
    EXPECT_EQ(logs, 20u);
    EXPECT_TRUE(std::filesystem::exists(folder / "keep-me.txt"));
    EXPECT_TRUE(std::filesystem::exists(newest.path()));
}

// Started together, as from one script: each takes a name by making its file.
TEST_F(Folder, RunsStartedInOneMillisecondKeepAFileEach)
{
    std::filesystem::create_directories(root);
    constexpr int runs = 4, each = 4;  // fewer than are kept: no run prunes another's
    std::vector<SupportLog> logs(runs * each);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < runs; ++t)
        threads.emplace_back([&, t] {
            ++ready;
            while (ready < runs) std::this_thread::yield();
            for (int k = 0; k < each; ++k) logs[t * each + k] = SupportLog::in_folder(root);
        });
    for (std::thread& thread : threads) thread.join();
    std::set<std::filesystem::path> paths;
    for (const SupportLog& log : logs) paths.insert(log.path());
    EXPECT_EQ(paths.size(), logs.size());
    EXPECT_FALSE(paths.contains(std::filesystem::path{}));
}

TEST_F(Folder, EachLineReachesTheFileAtOnceAndATransferIsSummarised)
{
    std::filesystem::create_directories(root);
    const unsigned umask = set_umask(022);
    SupportLog log = SupportLog::to_file(root / "run.log");
    set_umask(umask);
    EXPECT_MODE(root / "run.log", 0600u);
    log.note(PhaseFact{Phase::transferring});
    EXPECT_NE(test::read_file(root / "run.log").find(" Phase: transferring\n"), std::string::npos);
    for (std::uint32_t block = 1; block <= 3; ++block) log.note(TransferFact{false, block * 512, 1500, block, 0});
    log.note(TransferFact{false, 1500, 1500, 3, 1, false, 4});
    log.note(TransferFact{false, 1500, 1500, 4, 1, false, 5});
    const std::string text = test::read_file(root / "run.log");
    EXPECT_NE(text.find("Transfer of the target image: 1500 bytes"), std::string::npos) << text;
    EXPECT_NE(text.find("Transfer: blocks 1-3 acknowledged, block 4 sent again (1 retransmissions)"),
              std::string::npos);
    EXPECT_NE(text.find("Transfer complete: blocks 1-4 acknowledged, 1500 of 1500 bytes, 1 retransmissions, "),
              std::string::npos);
}

TEST_F(Folder, ARefusedTftpSendStandsBetweenTheTransfersLinesWithTheSystemsReason)
{
    std::filesystem::create_directories(root);
    SupportLog log = SupportLog::to_file(root / "run.log");
    log.note(TransferFact{false, 512, 1500, 1, 0});
    log.note(CallFailedFact{Call::tftp_send, 0x7f000002, 3077, 3077, 101, "Network is unreachable"});
    log.note(TransferFact{false, 512, 1500, 1, 29, true});
    const std::string text = test::read_file(root / "run.log");
    const std::size_t refusal = text.find("TFTP send to 127.0.0.2:3077 failed: Network is unreachable\n");
    const std::size_t given_up = text.find("Transfer given up: ");
    ASSERT_NE(refusal, std::string::npos) << text;
    ASSERT_NE(given_up, std::string::npos) << text;
    EXPECT_LT(refusal, given_up);
}

TEST_F(Folder, AResentFirstBlockIsNamedSoAndAFailedRunEndsWithItsLikelyCauses)
{
    std::filesystem::create_directories(root);
    SupportLog log = SupportLog::to_file(root / "run.log");
    log.note(TransferFact{false, 0, 1500, 0, 1, false, 1});
    log.note(DeviceFact{{0x7f000001}, 0x7f000001, 0x7f00d202});
    log.note(RequestFact{0x7f000001, 23456, 0x7f00d202, 80, "GET /admin/upgrade?x HTTP/1.1", false, "", "",
                         RequestKind::upgrade_request});
    log.note(AnswerFact{"GET /admin/upgrade?x HTTP/1.1", "HTTP/1.1 503 Service Unavailable", 40,
                        RequestKind::upgrade_request, 503});
    log.note(FailureFact{session::Failure::user_abort});
    log.shown("Upgrade Failed: User Abort");
    const std::string text = test::read_file(root / "run.log");
    EXPECT_NE(text.find("Transfer: no block acknowledged, block 1 sent again (1 retransmissions)"), std::string::npos)
        << text;
    const std::string last =
        "Likely cause: The device refused the upgrade request (\"HTTP/1.1 503 Service "
        "Unavailable\"): a device busy with another upgrade answers so. Let that one finish, "
        "then try again.\n";
    ASSERT_GE(text.size(), last.size());
    EXPECT_EQ(text.substr(text.size() - last.size()), last) << text;
}

TEST_F(Folder, ALogThatCannotBeWrittenWritesNothingAndSaysSo)
{
    std::filesystem::create_directories(root);
    std::ofstream(root / "file") << "x";
    SupportLog log = SupportLog::in_folder(root / "file" / "below");  // a file stands where the folder should
    EXPECT_FALSE(log.writing());
    log.note(PhaseFact{Phase::confirming});
    log.shown("nothing happens");
}

}  // namespace
}  // namespace voq::ui
