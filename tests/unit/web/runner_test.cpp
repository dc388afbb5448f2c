#include "web/runner.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/socket.h"
#include "session/trace.h"
#include "sim/web_server.h"
#include "support/loopback.h"
#include "support/recording_screens.h"
#include "web/connecting_bar.h"

namespace voq::web {
namespace {

std::mutex traced_mutex;
std::string traced;

void trace_into_text(std::string_view text)
{
    const std::lock_guard<std::mutex> lock(traced_mutex);
    traced += text;
}

TEST(RunRequest, ProgressClimbsEveryTenTurnsAndWrapsAfter100)
{
    const test::LoopbackPair addresses = test::loopback_pair();
    sim::WebConfig config;
    config.address = addresses.device;
    config.answer_delay_ms = 2500;  // long enough for more than 102 steps
    sim::WebServer device(config);
    std::string problem;
    ASSERT_TRUE(device.start(problem)) << problem;

    test::RecordingScreens screens;
    auto session = std::make_unique<session::Session>(1);
    session->screens = &screens;
    EXPECT_GT(run_request(*session, device_request(*session, addresses.pc, addresses.device, "/admin/advanced")), 0);
    EXPECT_EQ(screens.opened, std::vector<int>{105});
    ASSERT_GE(screens.positions.size(), 102u);
    for (std::size_t step = 0; step < screens.positions.size(); ++step)
        ASSERT_EQ(screens.positions[step], static_cast<int>(step % 101)) << "step " << step;
}

// The bar by the clock: the positions shown after turns of these lengths, with this turn.
TEST(ConnectingBar, ClimbsAStepEveryTenMillisecondsWhateverTheTurn)
{
    struct Case {
        unsigned turn_ms;
        std::vector<std::uint32_t> elapsed_ms;
        std::vector<int> shown;
    };
    const std::vector<Case> cases{
        {1, std::vector<std::uint32_t>(10, 0), {0}},  // a turn counts a millisecond at least
        {100, {95, 10, 5000}, {8, 9, 19}},            // a stall counts one turn
        {100, std::vector<std::uint32_t>(11, 100), {9, 19, 29, 39, 49, 59, 69, 79, 89, 99, 8}},
    };
    for (const Case& c : cases) {
        ConnectingBar bar;
        std::vector<int> shown;
        for (const std::uint32_t ms : c.elapsed_ms)
            if (const auto position = advance(bar, ms, c.turn_ms)) shown.push_back(*position);
        EXPECT_EQ(shown, c.shown) << "turn " << c.turn_ms << ", " << c.elapsed_ms.size() << " turns";
    }
}

TEST(RunRequest, NothingReceivedReturnsZeroAfterOneAttempt)
{
    const test::LoopbackPair addresses = test::loopback_pair();
    test::RecordingScreens screens;
    auto session = std::make_unique<session::Session>(1);
    session->screens = &screens;
    EXPECT_EQ(run_request(*session, device_request(*session, addresses.pc, addresses.device, "/admin/advanced")), 0);
    EXPECT_EQ(screens.opened, std::vector<int>{105});
    EXPECT_TRUE(screens.reports.empty());
    // Nobody listens there: the request, the system's reason, and no answer, in that order.
    const auto facts = screens.facts();
    ASSERT_EQ(facts.size(), 3u);
    const auto* request = std::get_if<record::RequestFact>(&facts[0]);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->request_line, "GET /admin/advanced HTTP/1.1");
    EXPECT_FALSE(request->signed_request);
    const auto* refused = std::get_if<record::CallFailedFact>(&facts[1]);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->call, record::Call::http_connect);
    EXPECT_EQ(refused->address, addresses.device);
    EXPECT_FALSE(refused->reason.empty());
    const auto* answer = std::get_if<record::AnswerFact>(&facts[2]);
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->status_line.empty());
}

// A request run in a child process, where the end of the process is real (it may come
// from the worker's thread): what the user was told, then "returned N" or "ended".
std::string run_in_child(const test::LoopbackPair& addresses, void (*arrange)())
{
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe_ends[0]);
        test::RecordingScreens screens;
        const auto tell = [&](const std::string& last) {
            std::string said;
            for (const auto& [message, title] : screens.reports) said += title + ": " + message + "\n";
            said += last;
            [[maybe_unused]] const auto written = ::write(pipe_ends[1], said.data(), said.size());
            ::_exit(0);
        };
        screens.at_end = [&] { tell("ended"); };
        auto session = std::make_unique<session::Session>(1);
        session->screens = &screens;
        arrange();
        const int result =
            run_request(*session, device_request(*session, addresses.pc, addresses.device, "/admin/advanced"));
        tell("returned " + std::to_string(result));
    }
    ::close(pipe_ends[1]);
    std::string heard;
    char chunk[512];
    for (long got; (got = ::read(pipe_ends[0], chunk, sizeof chunk)) > 0;)
        heard.append(chunk, static_cast<std::size_t>(got));
    ::close(pipe_ends[0]);
    ::waitpid(child, nullptr, 0);
    return heard;
}

// Both end the run before anything is sent, so no device need listen (and the tests
// fork while they have no other thread).
TEST(RunRequest, NoSocketIsReportedAndEndsTheProcess)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers check memory through a pipe, which a process without descriptors cannot open";
#endif
    // Every descriptor the process may have is taken: the socket cannot be opened.
    EXPECT_EQ(
        run_in_child(test::loopback_pair(),
                     [] {
                         const int lowest_free = ::dup(2);
                         ::close(lowest_free);
                         const rlimit none_left{static_cast<rlim_t>(lowest_free), static_cast<rlim_t>(lowest_free)};
                         ::setrlimit(RLIMIT_NOFILE, &none_left);
                     }),
        "VOQ Firwmare Upgrade Error: Upgrade Failed: Can't open HTTP socket\nended");
}

TEST(RunRequest, NoLocalPortIsReportedAndEndsTheProcess)
{
    // Every local port from 23456 to 23556 is taken on the PC's address.
    const test::LoopbackPair addresses = test::loopback_pair();
    std::vector<platform::Socket> taken;
    for (int port = first_local_port; port <= first_local_port + 100; ++port) {
        taken.emplace_back(platform::open_stream_socket());
        ASSERT_EQ(platform::bind_socket(taken.back().handle(),
                                        platform::fill_socket_address(addresses.pc, static_cast<std::uint16_t>(port))),
                  platform::BindResult::bound);
    }
    EXPECT_EQ(run_in_child(addresses, [] {}),
              "VOQ Firwmare Upgrade Error: Upgrade Failed: Can't bind HTTP socket\nended");
}

TEST(RunRequest, APasswordIsAskedUntilTheDeviceTakesIt)
{
    const test::LoopbackPair addresses = test::loopback_pair();
    sim::WebConfig config;
    config.address = addresses.device;
    config.digest.enabled = true;
    config.digest.password = "secret";
    config.digest.qop = "auth";
    config.digest.opaque = "0p";
    sim::WebServer device(config);
    std::string problem;
    ASSERT_TRUE(device.start(problem)) << problem;

    test::RecordingScreens screens;
    // OK with an empty password, a wrong one, then the right one.
    screens.password_answers = {{true, "admin", ""}, {true, "admin", "Secret"}, {true, "admin", "secret"}};
    auto session = std::make_unique<session::Session>(1);
    session->screens = &screens;
    set_trace_sink(trace_into_text);
    EXPECT_GT(run_request(*session, device_request(*session, addresses.pc, addresses.device, "/admin/advanced")), 0);
    set_trace_sink(nullptr);
    EXPECT_EQ(screens.opened, (std::vector<int>{105, 104, 105, 104, 105, 104, 105}));
    {
        // The trace shows each request, signed ones with their credentials left out.
        const std::lock_guard<std::mutex> lock(traced_mutex);
        EXPECT_NE(traced.find("\r\nAuthorization: (hidden)\r\n\r\n"), std::string::npos) << traced;
        EXPECT_EQ(traced.find("response="), std::string::npos) << traced;
    }
    EXPECT_TRUE(screens.password_answers.empty());
    const auto requests = device.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].verdict, sim::Verdict::missing);
    EXPECT_EQ(requests[1].verdict, sim::Verdict::missing);  // an empty password signs nothing
    EXPECT_EQ(requests[2].reason, "response does not match");
    EXPECT_EQ(requests[3].verdict, sim::Verdict::authorized) << requests[3].reason;
    EXPECT_TRUE(screens.reports.empty());
}

}  // namespace
}  // namespace voq::web
