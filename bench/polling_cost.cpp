#include "bench/polling_cost.h"

#include <atomic>
#include <ctime>
#include <pthread.h>
#include <thread>

#include "platform/clock.h"
#include "tftp/completion.h"
#include "ui/progress_screen.h"
#include "ui/views.h"

namespace voq::bench {

namespace {

double cpu_ms_of(std::thread::native_handle_type thread)
{
    clockid_t clock{};
    if (::pthread_getcpuclockid(thread, &clock) != 0) return 0;
    timespec used{};
    ::clock_gettime(clock, &used);
    return static_cast<double>(used.tv_sec) * 1e3 + static_cast<double>(used.tv_nsec) / 1e6;
}

// Measures thread over duration_ms once it has settled.
PollingCost measured(std::thread::native_handle_type thread, const QuietScreens& screens, unsigned duration_ms)
{
    platform::sleep_milliseconds(200);
    const double cpu_before = cpu_ms_of(thread);
    const long updates_before = screens.progress_updates.load();
    const std::uint32_t start = platform::milliseconds();
    platform::sleep_milliseconds(duration_ms);
    const double seconds = (platform::milliseconds() - start) / 1e3;
    return {(cpu_ms_of(thread) - cpu_before) / seconds,
            static_cast<double>(screens.progress_updates.load() - updates_before) / seconds};
}

}  // namespace

PollingCost waiting_screen_cost(const Servers& servers, unsigned duration_ms)
{
    // Between deliveries the tool's server is where the listener is before a device asks.
    return measured(servers.tool->native_thread(), servers.tool->screens(), duration_ms);
}

PollingCost restart_wait_cost(unsigned duration_ms)
{
    QuietScreens screens;
    session::Session session(1);
    session.screens = &screens;
    constexpr unsigned unit_ms = 32;
    const int units = static_cast<int>((duration_ms + 400) / unit_ms);  // outlasts the measurement
    std::thread waiting([&session, units] {
        ui::ProgressScreen uploading(session, ui::uploading_view(1));
        tftp::restart_wait(uploading, units, tftp::platform_clock());
    });
    const PollingCost cost = measured(waiting.native_handle(), screens, duration_ms);
    waiting.join();
    return cost;
}

PollingCost bare_wait_cost(unsigned duration_ms)
{
    const platform::Socket socket(platform::open_datagram_socket());
    std::atomic<bool> done{false};
    std::thread waiting([&socket, &done] {
        while (!done) platform::wait_readable(socket.handle(), 1);
    });
    const QuietScreens nobody;
    const PollingCost cost = measured(waiting.native_handle(), nobody, duration_ms);
    done = true;
    waiting.join();
    return cost;
}

}  // namespace voq::bench
