#include "app/entry.h"

#include <string>

#include "app/upgrade_sequence.h"
#include "firmware/image.h"
#include "ui/failure.h"
#include "ui/screens.h"

namespace voq::app {

namespace {

// The shipped build carries the transition image without loading it; its header alone
// says how a device would fare in a staged build.
std::string carried_transition_version(const session::Session& session, const StartupServices& services)
{
    if (session.stage_flag.load() == 0) return std::string(fw::version_text(session.transition_image));
    const auto bytes = services.embedded_image(fw::transition_image_id);
    if (bytes.empty() || fw::check_image(bytes) != fw::ImageFault::none) return {};
    return std::string(fw::version_text(fw::read_image(bytes)));
}

}  // namespace

int program_entry(session::Session& session, ui::Screens& screens, const StartupServices& services)
{
    session.screens = &screens;
    run_startup(session, services);
    // A staged build starts with the flag at 0, before the device's version can turn it.
    ui::note(session, record::StartFact{session.stage_flag.load() == 0, std::string(session.display_name),
                                        std::string(fw::version_text(session.target_image))});
    run_upgrade_sequence(session, carried_transition_version(session, services));
    return 0;
}

}  // namespace voq::app
