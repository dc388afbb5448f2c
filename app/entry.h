#pragma once

#include "app/startup.h"
#include "session/session.h"

namespace voq::ui {
class Screens;
}

namespace voq::app {

// The program: start-up, then the upgrade run. Returns 0 on every path on which it
// returns; the other paths end the process from inside.
int program_entry(session::Session& session, ui::Screens& screens, const StartupServices& services);

}  // namespace voq::app
