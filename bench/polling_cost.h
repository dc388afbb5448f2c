#pragma once

#include "bench/transfer_runs.h"

namespace voq::bench {

// What keeping a screen alive while nothing happens costs the thread that does it.
struct PollingCost {
    double cpu_ms_per_second = 0;  // CPU time per second of waiting; 10 is 1% of one core
    double screen_updates_per_second = 0;
};

// The listener's waiting screen, no request coming, for duration_ms; then a request
// ends the wait.
PollingCost waiting_screen_cost(const Servers& servers, unsigned duration_ms);

// The restart wait after a transfer, for duration_ms.
PollingCost restart_wait_cost(unsigned duration_ms);

// A loop that does nothing but wait 1 ms for a socket: what this machine charges for
// waking a thread a thousand times a second, the floor under the waiting screen.
PollingCost bare_wait_cost(unsigned duration_ms);

}  // namespace voq::bench
