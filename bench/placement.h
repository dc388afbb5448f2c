#pragma once

#include <initializer_list>
#include <sys/types.h>

namespace voq::bench {

// Where the scheduler may run the client and the servers: all on the first CPU
// (taskset -c 0), or wherever it likes among the CPUs the benchmark was given.
enum class Placement { one_cpu, any_cpu };
inline constexpr Placement placements[] = {Placement::one_cpu, Placement::any_cpu};

const char* placement_name(Placement placement);

// Puts the calling thread (and so the threads it starts from now on) and each of
// others, threads or processes (whose children inherit it), in placement.
void place(Placement placement, std::initializer_list<pid_t> others);

}  // namespace voq::bench
