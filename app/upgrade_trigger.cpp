#include "app/upgrade_trigger.h"

#include "app/failure.h"

namespace voq::app {

// The firmware delivery is not built yet: the run ends here.
void run_upgrade_trigger(Session& session) { end_process(session); }

}  // namespace voq::app
