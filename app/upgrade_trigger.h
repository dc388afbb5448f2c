#pragma once

#include "session/session.h"

namespace voq::app {

// Starts the TFTP listener and tells the device to fetch its firmware from it; in
// staged mode tells it again for the target image once the transition image is in.
// Never returns: the process ends on the listener's thread.
[[noreturn]] void run_upgrade_trigger(session::Session& session);

}  // namespace voq::app
