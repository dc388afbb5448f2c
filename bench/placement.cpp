#include "bench/placement.h"

#include <sched.h>

namespace voq::bench {

namespace {

// What the benchmark was started with: "any CPU" never widens a taskset of the caller's.
const cpu_set_t& given_cpus()
{
    static const cpu_set_t given = [] {
        cpu_set_t cpus;
        CPU_ZERO(&cpus);
        if (::sched_getaffinity(0, sizeof cpus, &cpus) != 0) CPU_SET(0, &cpus);
        return cpus;
    }();
    return given;
}

cpu_set_t cpus_of(Placement placement)
{
    if (placement == Placement::any_cpu) return given_cpus();
    cpu_set_t first;
    CPU_ZERO(&first);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (!CPU_ISSET(cpu, &given_cpus())) continue;
        CPU_SET(cpu, &first);
        break;
    }
    return first;
}

}  // namespace

const char* placement_name(Placement placement) { return placement == Placement::one_cpu ? "one CPU" : "any CPU"; }

void place(Placement placement, std::initializer_list<pid_t> others)
{
    const cpu_set_t cpus = cpus_of(placement);
    ::sched_setaffinity(0, sizeof cpus, &cpus);
    for (const pid_t other : others)
        if (other > 0) ::sched_setaffinity(other, sizeof cpus, &cpus);
}

}  // namespace voq::bench
