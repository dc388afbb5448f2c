#pragma once

#include <cstdint>
#include <string>

#include "ui/views.h"

namespace voq::test {

// Every test that opens sockets takes a pair of its own, so that tests run in
// parallel: the PC at 127.0.N.1, the device at 127.0.N.2. Blocks of N by test file:
//   10-39 exchange and runner, 40-49 real clients against the simulator, 50-59 real
//   web servers, 60-79 end-to-end runs to the confirm screen, 80-99 transfers,
//   100-129 whole upgrades (121-123: as an ordinary user; 124: by the keyboard), 130-159 the fault matrix, 160-169 real TFTP clients and
//   servers, 170-199 the Windows build under wine; 200 and up are the benchmarks'.
struct LoopbackPair {
    std::uint32_t pc;
    std::uint32_t device;
};

constexpr LoopbackPair loopback_pair(unsigned n) { return {0x7f000001u | n << 8, 0x7f000002u | n << 8}; }

using ui::dotted;

}  // namespace voq::test
