#pragma once

#include <filesystem>

namespace voq::platform {

// Where a program keeps what it writes about its runs: $XDG_STATE_HOME/voq-upgrade
// (by default ~/.local/state/voq-upgrade) on Linux, %LOCALAPPDATA%\VOQ Upgrade on
// Windows. Empty when the system names no such place. Not created here.
std::filesystem::path support_log_folder();

}  // namespace voq::platform
