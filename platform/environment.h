#pragma once

#include <optional>
#include <string>

namespace voq::platform {

// An environment variable's value; on Windows read wide and given as UTF-8, since the
// ANSI form would have replaced what the code page lacks. Nothing when unset or empty.
std::optional<std::string> environment_text(const char* name);

}  // namespace voq::platform
