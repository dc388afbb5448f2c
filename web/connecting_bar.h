#pragma once

#include <cstdint>
#include <optional>

namespace voq::web {

// The connecting screen's bar climbs a step every ten milliseconds, from 0 to 100 and
// then from 0 again, by the clock, whatever the screen's turn.
struct ConnectingBar {
    int position = 0;  // the next one shown
    std::uint32_t unstepped_ms = 0;
};

// Takes a turn of elapsed_ms into the bar, counted as one millisecond at least and
// turn_ms at most: a step every ten turns of a millisecond, the same pace with a longer
// turn, and no leap after a stall. The position to show, when a step fell due.
std::optional<int> advance(ConnectingBar& bar, std::uint32_t elapsed_ms, unsigned turn_ms);

}  // namespace voq::web
