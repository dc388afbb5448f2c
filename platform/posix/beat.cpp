#include "platform/beat.h"

#include <cerrno>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include "platform/clock.h"

namespace voq::platform {

namespace {

constexpr long beat_ns = 1000000;

// Takes the beats that have come, so that the timer waits for the next.
void take_beats(int timer)
{
    std::uint64_t count = 0;
    while (::read(timer, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

}  // namespace

Beat::Beat()
{
    const int timer = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timer < 0) return;
    const itimerspec every_millisecond{{0, beat_ns}, {0, beat_ns}};
    if (::timerfd_settime(timer, 0, &every_millisecond, nullptr) != 0) {
        ::close(timer);
        return;
    }
    timer_ = timer;
}

Beat::~Beat()
{
    if (timer_ >= 0) ::close(static_cast<int>(timer_));
}

Readiness Beat::wait_readable(SocketHandle socket)
{
    if (timer_ < 0) return platform::wait_readable(socket, 1);
    pollfd watched[2] = {{static_cast<int>(socket), POLLIN, 0}, {static_cast<int>(timer_), POLLIN, 0}};
    const int ready = ::poll(watched, 2, -1);
    if (ready < 0) return errno == EINTR ? Readiness::timed_out : Readiness::failed;
    if (watched[0].revents != 0) return Readiness::readable;
    take_beats(static_cast<int>(timer_));
    return Readiness::timed_out;
}

void Beat::wait()
{
    if (timer_ < 0) {
        sleep_milliseconds(1);
        return;
    }
    pollfd watched{static_cast<int>(timer_), POLLIN, 0};
    while (::poll(&watched, 1, -1) < 0 && errno == EINTR) {
    }
    take_beats(static_cast<int>(timer_));
}

}  // namespace voq::platform
