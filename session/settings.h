#pragma once

#include <cstdint>

// The waits the programs keep, each defined here alone. The test harness and the
// autopilot may shorten them for a test; the desktop programs take no setting. A loop
// that counts in a unit of its own derives the count where it counts.
namespace voq::session::settings {

// From the last acknowledgement to the next reading of the status page: the device
// installs the image and restarts meanwhile.
inline constexpr std::uint32_t restart_wait_ms = 30000;

// How long a transfer listens after its last progress before it is given up, once its
// thirty sends of a packet are spent: never less than a silent device is allowed on
// Windows, where those sends span some 47 seconds.
inline constexpr std::uint32_t transfer_silence_floor_ms = 30000;

// The least time from the start of one reading of the status page after the restart
// to the start of the next, so that the ten readings span some 20 seconds where a
// refused connection returns at once.
inline constexpr std::uint32_t reread_spacing_ms = 2000;

}  // namespace voq::session::settings
