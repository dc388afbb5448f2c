#pragma once

#include <csignal>
#include <spawn.h>

namespace voq::platform {

// A child starts with the signals this program handles or ignores back at their
// defaults and none blocked: it must die of SIGPIPE and answer Ctrl+C as any program
// does, whatever its parent set up for itself. Destroy with posix_spawnattr_destroy.
inline void init_child_attributes(posix_spawnattr_t& attributes, short more_flags = 0)
{
    ::posix_spawnattr_init(&attributes);
    ::posix_spawnattr_setflags(&attributes,
                               static_cast<short>(POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | more_flags));
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, signal);
    sigemptyset(&none);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    ::posix_spawnattr_setsigmask(&attributes, &none);
}

}  // namespace voq::platform
