#include "app/startup.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/entry.h"
#include "firmware/image.h"
#include "firmware/placeholder.h"
#include "session/messages.h"
#include "support/printers.h"
#include "support/recording_screens.h"

namespace voq::app {
namespace {

// What the fake platform and build give start-up; each test sets what it needs.
struct Fake {
    bool socket_library_starts = true;
    std::vector<std::uint32_t> addresses;
    std::uint32_t clock = 1;
    std::vector<std::uint8_t> target = fw::make_placeholder_image(2000, "VoQ3300 FiRmWaRe", "2.0.13(g)");
    std::vector<std::uint8_t> transition = fw::make_placeholder_image(1500, "VoQ3101 FiRmWaRe", "2.0.12(SE)");
    std::vector<int> images_asked;
};
Fake fake;

StartupServices fake_services()
{
    return {
        [] { return fake.socket_library_starts; },
        [] { return fake.addresses; },
        [] { return fake.clock; },
        [](int id) -> std::span<const std::uint8_t> {
            fake.images_asked.push_back(id);
            if (id == fw::target_image_id) return fake.target;
            if (id == fw::transition_image_id) return fake.transition;
            return {};
        },
    };
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override { fake = Fake{}; }

    std::unique_ptr<session::Session> started(int stage_flag)
    {
        auto session = std::make_unique<session::Session>(stage_flag);
        session->screens = &screens;
        run_startup(*session, fake_services());
        return session;
    }

    test::RecordingScreens screens;
};

TEST_F(Startup, TakesAtMostEightAddressesInTheirOrderAndSelectsTheFirst)
{
    const struct {
        std::vector<std::uint32_t> found;
        std::vector<std::uint32_t> listed;  // the eight slots
    } cases[] = {
        {{}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {{0xc0000201, 0x0a000001, 0x7f000001}, {0xc0000201, 0x0a000001, 0x7f000001, 0, 0, 0, 0, 0}},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const auto& c : cases) {
        fake.addresses = c.found;
        const auto session = started(1);
        EXPECT_EQ(std::vector<std::uint32_t>(session->local_addresses.begin(), session->local_addresses.end()),
                  c.listed);
        EXPECT_EQ(session->selected_local_address, c.listed[0]);
    }
}

TEST_F(Startup, ShippedBuildLoadsOnlyTheTargetImageAndNamesTheProduct)
{
    const auto session = started(1);
    EXPECT_EQ(fake.images_asked, std::vector<int>{fw::target_image_id});
    EXPECT_EQ(session->target_image.bytes.data(), fake.target.data());
    EXPECT_EQ(session->target_image.size, 2000u);
    EXPECT_EQ(fw::version_text(session->target_image), "2.0.13(g)");
    EXPECT_EQ(session->transition_image.size, 0u);
    EXPECT_EQ(session->display_name, "VOQ-3100/3300");
    EXPECT_EQ(session->phone_style, 0);
    EXPECT_TRUE(screens.reports.empty());
}

TEST_F(Startup, StagedBuildLoadsBothImages)
{
    fake.target = fw::make_placeholder_image(700, "quorix phone", "3.1");
    const auto session = started(0);
    EXPECT_EQ(fake.images_asked, (std::vector<int>{fw::target_image_id, fw::transition_image_id}));
    EXPECT_EQ(fw::version_text(session->transition_image), "2.0.12(SE)");
    EXPECT_EQ(session->display_name, "VOQ-618");
    EXPECT_EQ(session->phone_style, 1);
}

TEST_F(Startup, SeedsTheRandomSourceFromTheClockAndClearsTheAuthState)
{
    fake.clock = 1;
    auto session = std::make_unique<session::Session>(1);
    session->screens = &screens;
    session->auth.password.assign("left over");
    session->auth.nonce_count = 5;
    run_startup(*session, fake_services());
    EXPECT_EQ(next_random(session->random), 41);
    EXPECT_TRUE(session->auth.password.empty());
    EXPECT_EQ(session->auth.nonce_count, 0u);
}

TEST_F(Startup, FatalFailuresReportUnderTheStandardTitleThenEnd)
{
    const struct {
        const char* what;
        void (*arrange)();
        int stage_flag;
        std::string_view message;
        session::Failure code;
    } cases[] = {
        {"socket library", [] { fake.socket_library_starts = false; }, 1, session::message::winsock_init_error,
         session::Failure::winsock_init},
        {"no target image", [] { fake.target.clear(); }, 1, session::message::firmware_missing,
         session::Failure::firmware_missing},
        {"short target image", [] { fake.target.resize(127); }, 1, session::message::firmware_missing,
         session::Failure::firmware_missing},
        {"no transition image in a staged build", [] { fake.transition.clear(); }, 0,
         session::message::firmware_missing, session::Failure::firmware_missing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake = Fake{};
        screens.reports.clear();
        c.arrange();
        EXPECT_THROW(started(c.stage_flag), test::ProcessEnded);
        ASSERT_EQ(screens.reports.size(), 1u);
        EXPECT_EQ(screens.reports[0].first, c.message);
        EXPECT_EQ(screens.reports[0].second, "VOQ Firwmare Upgrade Error");
        // Its code beside it, told just before.
        const auto facts = screens.facts();
        ASSERT_FALSE(facts.empty());
        const auto* failure = std::get_if<record::FailureFact>(&facts.back());
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->code, c.code);
    }
}

TEST_F(Startup, MissingTransitionImageDoesNotMatterInTheShippedBuild)
{
    fake.transition.clear();
    EXPECT_NO_THROW(started(1));
    EXPECT_TRUE(screens.reports.empty());
}

TEST(ProgramEntry, RunsStartUpForTheGivenScreens)
{
    fake = Fake{};
    test::RecordingScreens screens;
    auto session = std::make_unique<session::Session>(1);
    EXPECT_EQ(program_entry(*session, screens, fake_services()), 0);
    EXPECT_EQ(session->screens, &screens);
    EXPECT_EQ(session->display_name, "VOQ-3100/3300");
}

}  // namespace
}  // namespace voq::app
