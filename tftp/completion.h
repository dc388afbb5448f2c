#pragma once

#include <cstdint>

#include "session/session.h"
#include "tftp/transfer.h"
#include "ui/progress_screen.h"

namespace voq::tftp {

inline constexpr int status_rereads = 10;

// The restart wait is counted in units of 32 ms on the millisecond clock.
inline constexpr std::uint32_t restart_wait_unit_ms = 32;
constexpr int restart_wait_units(std::uint32_t wait_ms) { return static_cast<int>(wait_ms / restart_wait_unit_ms); }
// The other way, for the test tools whose scripts and options count in these units:
// nothing for a negative count, the longest wait the core holds for a count past it.
constexpr std::uint32_t restart_wait_ms_of_units(int units)
{
    if (units <= 0) return 0;
    const std::uint64_t wait_ms = static_cast<std::uint64_t>(units) * restart_wait_unit_ms;
    return wait_ms > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(wait_ms);
}

// The clock the restart wait counts on; tests pass one they move themselves.
struct WaitClock {
    std::uint32_t (*milliseconds)();
    void (*sleep_milliseconds)(unsigned duration_ms);
};

WaitClock platform_clock();

// Waits units of 32 ms on the wrapping millisecond clock, the bar showing the units
// passed and the screen answering its Cancel throughout.
void restart_wait(ui::ProgressScreen& uploading, int units, const WaitClock& clock);

// After a transfer: the restart wait, then (for a complete one) the device's status
// page again and its software version against the image just served, and the
// success screen once the target image is in. Failures are reported here.
Completion complete_upgrade(session::Session& session, Outcome outcome, ui::ProgressScreen& uploading,
                            std::uint32_t local_address, std::uint32_t device_address,
                            const WaitClock& clock = platform_clock());

}  // namespace voq::tftp
