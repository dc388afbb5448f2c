#include "platform/environment.h"

#include <cstdlib>

namespace voq::platform {

std::optional<std::string> environment_text(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

}  // namespace voq::platform
