#pragma once

#include <initializer_list>
#include <iterator>
#include <sched.h>
#include <sys/types.h>

namespace voq::bench {

// Where the scheduler may run the client and the servers: all on the first CPU
// (taskset -c 0); the client on the first CPU and every server on the second, so that
// every block crosses between them; or wherever it likes among the CPUs the benchmark
// was given. A pair that talks in lock-step stays where its first exchanges put it,
// together or apart, so the third is the other two in proportions the scheduler
// chooses; the second shows what crossing costs each server.
enum class Placement { one_cpu, two_cpus_apart, any_cpu };
inline constexpr Placement placements[] = {Placement::one_cpu, Placement::two_cpus_apart, Placement::any_cpu};
inline constexpr int placement_count = 3;
static_assert(std::size(placements) == placement_count);

const char* placement_name(Placement placement);

// How many CPUs the benchmark was given.
int given_cpu_count();

// The nth CPU of cpus (from 0), the last of them when there are fewer, CPU 0 when none.
int nth_cpu(const cpu_set_t& cpus, int nth);

// Puts the calling thread, the client (and so the threads it starts from now on), and
// each of others, the servers' threads or processes (whose children inherit it), in
// placement. With one CPU given, "apart" is the same CPU.
void place(Placement placement, std::initializer_list<pid_t> others);

}  // namespace voq::bench
