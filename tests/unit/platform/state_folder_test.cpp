// Where the Linux programs keep their support logs: the XDG rules.

#include "platform/state_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace voq::platform {
namespace {

TEST(SupportLogFolder, FollowsXdgStateHomeAndFallsBackToTheHomeFolder)
{
    const struct {
        const char* name;
        const char* state;  // nullptr: unset
        const char* home;
        const char* folder;
    } cases[] = {
        {"XDG_STATE_HOME", "/srv/state", "/home/ada", "/srv/state/voq-upgrade"},
        {"unset", nullptr, "/home/ada", "/home/ada/.local/state/voq-upgrade"},
        {"empty", "", "/home/ada", "/home/ada/.local/state/voq-upgrade"},
        {"relative: ignored, as the rules say", "state", "/home/ada", "/home/ada/.local/state/voq-upgrade"},
        {"no home either", nullptr, nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.state) ::setenv("XDG_STATE_HOME", c.state, 1);
        else ::unsetenv("XDG_STATE_HOME");
        if (c.home) ::setenv("HOME", c.home, 1);
        else ::unsetenv("HOME");
        EXPECT_EQ(support_log_folder(), std::filesystem::path(c.folder));
    }
}

}  // namespace
}  // namespace voq::platform
