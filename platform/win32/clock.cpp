#include "platform/clock.h"

// windows.h first: mmsystem.h uses its types.
#include <windows.h>

#include <mmsystem.h>

namespace voq::platform {

std::uint32_t milliseconds() { return ::timeGetTime(); }

void sleep_milliseconds(unsigned duration_ms) { ::Sleep(duration_ms); }

}  // namespace voq::platform
