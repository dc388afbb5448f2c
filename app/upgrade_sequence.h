#pragma once

#include "session/session.h"

namespace voq::app {

// Warning, address, the status page, the stage decision and the confirm screen;
// then the upgrade trigger, which does not return. Returns when the run ends before.
void run_upgrade_sequence(session::Session& session);

}  // namespace voq::app
