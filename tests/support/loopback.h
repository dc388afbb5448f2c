#pragma once

#include <cstdint>
#include <string>

#include "ui/views.h"

namespace voq::test {

// Every test that opens sockets takes a pair of its own, so that tests run in
// parallel: the PC at 127.0.N.1, the device at 127.0.N.2. The registry of blocks of N,
// by test file:
//   10-24 exchange, 25-29 runner, 30 the device's request checks, 40-49 real clients
//   against the simulator, 50-59 real web servers, 60-79 end-to-end runs to the confirm
//   screen, 80-99 transfers, 100-119 whole upgrades (118-119: the TFTP listener
//   failing), 120-129 the Linux program (121-123: as an ordinary user; 124: by the
//   keyboard; 125: read by a screen reader; 126: the harness failing as an ordinary
//   user; 127: heard through Orca), 130-159 the fault matrix, 160-169 real TFTP clients and servers, 170-199
//   the Windows build under wine, 200-209 the benchmarks, 210-249 the command-line
//   program, 250-252 the command-line program with its captions reworded, 253-255 its support
//   log; past 255, outside 127.0.0.0/16: 768 (127.3.0.1) a fleet past one PC address's
//   ports, its devices at 127.3.0.2 and up; 769-775 (127.3.1.1 to 127.3.7.1) the
//   command-line program in a script's hands; 786-788 (127.3.18.1 to 127.3.20.1) its verbose
//   trace; 800-809 (127.3.32.1 to 127.3.41.1) its --check and --if-needed.
// Within a block each pair belongs to one test: a test that takes a pair another test
// of the same run has taken fails at once, naming that test, whether or not the two
// happen to run side by side this time.
struct LoopbackPair {
    std::uint32_t pc;
    std::uint32_t device;
};

// The addresses of pair n, for a test that only names them and binds nothing there.
constexpr LoopbackPair pair_addresses(unsigned n) { return {0x7f000001u | n << 8, 0x7f000002u | n << 8}; }

// Pair n, taken by the running test for the whole test run.
LoopbackPair loopback_pair(unsigned n);

using ui::dotted;

}  // namespace voq::test
