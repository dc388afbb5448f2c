#pragma once

#include <string_view>

#include "session/session.h"

namespace voq::app {

// Warning, address, the status page, the stage decision and the confirm screen;
// then the upgrade trigger, which does not return. Returns when the run ends before.
// The transition image's version, also where this build does not serve it, tells how
// the device's version stands.
void run_upgrade_sequence(session::Session& session, std::string_view carried_transition_version);

}  // namespace voq::app
