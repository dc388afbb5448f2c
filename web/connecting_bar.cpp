#include "web/connecting_bar.h"

#include <algorithm>

namespace voq::web {

namespace {

constexpr std::uint32_t step_ms = 10;
constexpr int positions = 101;

}  // namespace

std::optional<int> advance(ConnectingBar& bar, std::uint32_t elapsed_ms, unsigned turn_ms)
{
    bar.unstepped_ms += std::clamp(elapsed_ms, 1u, std::max(1u, turn_ms));
    const auto steps = static_cast<int>(bar.unstepped_ms / step_ms);
    bar.unstepped_ms %= step_ms;
    if (steps == 0) return std::nullopt;
    const int shown = (bar.position + steps - 1) % positions;
    bar.position = (shown + 1) % positions;
    return shown;
}

}  // namespace voq::web
