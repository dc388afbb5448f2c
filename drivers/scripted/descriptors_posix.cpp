#include "drivers/scripted/descriptors.h"

#include <sys/resource.h>
#include <unistd.h>

namespace voq::ui::scripted {

bool run_out_of_descriptors()
{
    // The lowest free descriptor is the next one a socket would get; with the limit
    // there, the next socket fails as a process out of descriptors sees it fail.
    const int lowest_free = ::dup(2);
    if (lowest_free < 0) return false;
    ::close(lowest_free);
    const rlimit none_left{static_cast<rlim_t>(lowest_free), static_cast<rlim_t>(lowest_free)};
    return ::setrlimit(RLIMIT_NOFILE, &none_left) == 0;
}

}  // namespace voq::ui::scripted
