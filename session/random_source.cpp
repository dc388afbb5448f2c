#include "session/random_source.h"

namespace voq::session {

void seed_random(RandomSource& source, std::uint32_t seed) { source.state.store(seed); }

int next_random(RandomSource& source)
{
    std::uint32_t state = source.state.load();
    std::uint32_t next = 0;
    do {
        next = state * 214013u + 2531011u;
    } while (!source.state.compare_exchange_weak(state, next));
    return static_cast<int>((next >> 16) & 0x7fffu);
}

}  // namespace voq::session
