#include "app/upgrade_sequence.h"

#include "app/address_screen.h"
#include "app/upgrade_trigger.h"
#include "app/version_number.h"
#include "firmware/image.h"
#include "session/failure_codes.h"
#include "ui/failure.h"
#include "ui/screens.h"
#include "ui/views.h"
#include "web/response.h"
#include "web/runner.h"

namespace voq::app {

namespace {

record::DeviceFact device_fact(const session::Session& session)
{
    record::DeviceFact fact{{}, session.selected_local_address, session.device_address};
    for (const std::uint32_t address : session.local_addresses)
        if (address != 0) fact.pc_addresses.push_back(address);
    return fact;
}

}  // namespace

void run_upgrade_sequence(session::Session& session, std::string_view carried_transition_version)
{
    ui::Screens& screens = *session.screens;
    if (screens.show_warning(ui::warning_view(session)) == 0) return;

    const auto accept = [&session](std::string_view typed, int selection) {
        return accept_typed_address(session, typed, selection);
    };
    if (screens.show_address(ui::address_view(session), accept) == 0) return;
    if (session.device_address == 0) return;
    ui::note(session, device_fact(session));

    ui::note(session, record::PhaseFact{record::Phase::reading_status});
    const int answered = web::run_request(session, web::device_request(session, session.selected_local_address,
                                                                       session.device_address, "/admin/advanced"));
    if (answered <= 0) {
        ui::report_error(session, session::Failure::no_response);
        return;
    }

    const std::string_view device_version = session.device_info.software_version.view();
    ui::note(session, record::StandingFact{version_standing(device_version, fw::version_text(session.target_image),
                                                            carried_transition_version),
                                           stage_decision(device_version, carried_transition_version) == Stage::staged,
                                           web::status_code(session.response.data()), std::string(device_version)});

    if (session.stage_flag.load() == 0 &&
        stage_decision(device_version, fw::version_text(session.transition_image)) == Stage::direct)
        session.stage_flag.store(1);

    ui::note(session, record::PhaseFact{record::Phase::confirming});
    if (screens.show_confirm(ui::confirm_view(session)) == 0) {
        ui::report_error(session, session::Failure::upgrade_declined);
        return;
    }
    run_upgrade_trigger(session);
}

}  // namespace voq::app
