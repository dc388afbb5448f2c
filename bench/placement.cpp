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

cpu_set_t given_cpu(int nth)
{
    cpu_set_t chosen;
    CPU_ZERO(&chosen);
    CPU_SET(nth_cpu(given_cpus(), nth), &chosen);
    return chosen;
}

struct Sides {
    cpu_set_t client, servers;
};

Sides sides_of(Placement placement)
{
    switch (placement) {
    case Placement::one_cpu:
        return {given_cpu(0), given_cpu(0)};
    case Placement::two_cpus_apart:
        return {given_cpu(0), given_cpu(1)};
    case Placement::any_cpu:
        break;
    }
    return {given_cpus(), given_cpus()};
}

}  // namespace

int nth_cpu(const cpu_set_t& cpus, int nth)
{
    int last = 0;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (!CPU_ISSET(cpu, &cpus)) continue;
        last = cpu;
        if (nth-- == 0) break;
    }
    return last;
}

int given_cpu_count() { return CPU_COUNT(&given_cpus()); }

const char* placement_name(Placement placement)
{
    switch (placement) {
    case Placement::one_cpu:
        return "one CPU";
    case Placement::two_cpus_apart:
        return "two CPUs apart";
    case Placement::any_cpu:
        break;
    }
    return "any CPU";
}

void place(Placement placement, std::initializer_list<pid_t> others)
{
    const Sides sides = sides_of(placement);
    ::sched_setaffinity(0, sizeof sides.client, &sides.client);
    for (const pid_t other : others)
        if (other > 0) ::sched_setaffinity(other, sizeof sides.servers, &sides.servers);
}

}  // namespace voq::bench
