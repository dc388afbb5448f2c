#include "tftp/completion.h"

#include <algorithm>
#include <string>

#include "firmware/image.h"
#include "platform/clock.h"
#include "session/failure_codes.h"
#include "session/trace.h"
#include "ui/failure.h"
#include "ui/screens.h"
#include "ui/views.h"
#include "web/runner.h"

namespace voq::tftp {

namespace {

// The millisecond clock in 32 ms units wraps at 2^27 units.
constexpr std::uint32_t unit_shift = 5;
static_assert(1u << unit_shift == restart_wait_unit_ms);
constexpr std::uint32_t unit_wrap = 1u << 27;

// A device's web server may still refuse connections for a while after the restart
// wait; where a refusal returns at once, the spacing keeps the ten attempts from
// being spent in a moment. The last attempt has nobody after it to wait for.
bool device_answers(session::Session& session, std::uint32_t local_address, std::uint32_t device_address)
{
    for (int attempt = 1; attempt <= status_rereads; ++attempt) {
        const std::uint32_t spacing_ms = attempt < status_rereads ? session.reread_spacing_ms : 0;
        if (web::run_request(session,
                             web::device_request(session, local_address, device_address, "/admin/advanced",
                                                 record::RequestKind::reread),
                             spacing_ms) > 0)
            return true;
    }
    return false;
}

}  // namespace

WaitClock platform_clock() { return {platform::milliseconds, platform::sleep_milliseconds}; }

void restart_wait(ui::ProgressScreen& uploading, int units, const WaitClock& clock)
{
    const std::uint32_t start = clock.milliseconds() >> unit_shift;
    uploading.set_range(units);
    uploading.set_position(0);
    while (true) {
        std::uint32_t now = clock.milliseconds() >> unit_shift;
        if (now < start) now += unit_wrap;
        // A wait woken late past its end still ends at the bar's range.
        uploading.set_position(static_cast<int>(std::min(now - start, static_cast<std::uint32_t>(units))));
        uploading.pump(ui::every_message);
        if (now >= start + static_cast<std::uint32_t>(units)) break;
        // A front-end whose Cancel is a flag read by pump has the wait turn at its own
        // pace; none sleeps past the wait's end.
        const std::uint32_t left_ms = (start + static_cast<std::uint32_t>(units) - now) * restart_wait_unit_ms;
        clock.sleep_milliseconds(std::min(std::max(restart_wait_unit_ms, uploading.turn_interval_ms()), left_ms));
    }
}

Completion complete_upgrade(session::Session& session, Outcome outcome, ui::ProgressScreen& uploading,
                            std::uint32_t local_address, std::uint32_t device_address, const WaitClock& clock)
{
    ui::note(session, record::PhaseFact{record::Phase::restarting});
    uploading.set_caption(ui::updating_caption(session));
    restart_wait(uploading, restart_wait_units(session.restart_wait_ms), clock);
    uploading.close();

    if (outcome == Outcome::given_up) {
        ui::report_error(session, session::Failure::upload_incomplete);
        return Completion::failed;
    }
    // Without an answer the user could not tell success from failure: say so.
    ui::note(session, record::PhaseFact{record::Phase::rereading});
    if (!device_answers(session, local_address, device_address)) {
        ui::report_error(session, session::Failure::no_response_after_restart);
        return Completion::failed;
    }

    const int stage_flag = session.stage_flag.load();
    const std::string expected(fw::version_text(stage_flag == 0 ? session.transition_image : session.target_image));
    const std::string reported(session.device_info.software_version.view());
    trace("[%d]%s %s\n", stage_flag, expected.c_str(), reported.c_str());
    ui::note(session, record::VersionsFact{expected, reported});
    if (session.phone_style == 0 && !fw::same_version(reported, expected)) {
        ui::report_error(session, session::Failure::version_mismatch);
        return Completion::failed;
    }
    if (stage_flag != 0) session.screens->show_success(ui::success_view(session));
    return Completion::verified;
}

}  // namespace voq::tftp
