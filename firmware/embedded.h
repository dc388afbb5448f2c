#pragma once

#include <cstdint>
#include <span>

namespace voq::fw {

// The images linked into this program, by resource id (fw::target_image_id,
// fw::transition_image_id); an empty view for an id the program lacks.
std::span<const std::uint8_t> embedded_image(int resource_id);

// The stage flag's initial value, fixed when the program is built: 1 (direct mode,
// the shipped build) or 0 (staged mode).
int built_stage_flag();

}  // namespace voq::fw
