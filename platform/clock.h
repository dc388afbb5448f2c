#pragma once

#include <cstdint>

namespace voq::platform {

// A millisecond count that wraps at 2^32, like the multimedia timer of Windows.
std::uint32_t milliseconds();

void sleep_milliseconds(unsigned duration_ms);

}  // namespace voq::platform
