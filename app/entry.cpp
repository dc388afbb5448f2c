#include "app/entry.h"

#include "app/upgrade_sequence.h"
#include "ui/screens.h"

namespace voq::app {

int program_entry(session::Session& session, void* module_handle, ui::Screens& screens,
                  const StartupServices& services)
{
    session.screens = &screens;
    if (!screens.register_window_class()) return 0;
    session.module_handle = module_handle;
    run_startup(session, services);
    run_upgrade_sequence(session);
    return 0;
}

}  // namespace voq::app
