#pragma once

#include <atomic>
#include <cstdint>

namespace voq::session {

// The process-wide generator: state * 214013 + 2531011 modulo 2^32, each draw being
// bits 16 to 30 of the new state. Several threads draw from it (the wizard for file
// names, the request workers for Digest client nonces), so the state is advanced
// atomically rather than trusting the hand-offs.
struct RandomSource {
    std::atomic<std::uint32_t> state{0};
};

void seed_random(RandomSource& source, std::uint32_t seed);

// 0 to 32767.
int next_random(RandomSource& source);

}  // namespace voq::session
