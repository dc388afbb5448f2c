#include "platform/clock.h"

#include <cerrno>
#include <ctime>

namespace voq::platform {

std::uint32_t milliseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

void sleep_milliseconds(unsigned duration_ms)
{
    timespec remaining{static_cast<time_t>(duration_ms / 1000), static_cast<long>(duration_ms % 1000) * 1000000L};
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {}
}

}  // namespace voq::platform
