#include "app/entry.h"

#include "app/upgrade_sequence.h"
#include "firmware/image.h"
#include "ui/failure.h"
#include "ui/screens.h"

namespace voq::app {

int program_entry(session::Session& session, ui::Screens& screens, const StartupServices& services)
{
    session.screens = &screens;
    run_startup(session, services);
    // A staged build starts with the flag at 0, before the device's version can turn it.
    ui::note(session, ui::StartFact{session.stage_flag.load() == 0, std::string(session.display_name),
                                    std::string(fw::version_text(session.target_image))});
    run_upgrade_sequence(session);
    return 0;
}

}  // namespace voq::app
