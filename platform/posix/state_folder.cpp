#include "platform/state_folder.h"

#include <cstdlib>

namespace voq::platform {

// The XDG Base Directory rules: a relative $XDG_STATE_HOME is to be ignored.
std::filesystem::path support_log_folder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return std::filesystem::path(state) / "voq-upgrade";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') return {};
    return std::filesystem::path(home) / ".local" / "state" / "voq-upgrade";
}

}  // namespace voq::platform
