#include "platform/process.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace voq::platform {

void end_process() { end_process_with_status(0); }

void end_process_with_status(int status)
{
    // Other threads may sit in blocking socket calls holding objects that exit()'s
    // destructors would tear down under them; leave without running any.
    std::fflush(nullptr);
    std::_Exit(status);
}

bool runs_as_root() { return ::geteuid() == 0; }

}  // namespace voq::platform
