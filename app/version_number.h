#pragma once

#include <cstdint>
#include <string_view>

#include "record/facts.h"

namespace voq::app {

// Reads a firmware version text such as "2.0.13(g)" as a number that orders versions:
// up to three components, each weighing 100 times the next, read the way the C
// library reads an unsigned number with automatic base (so "010" is octal and "0x1f"
// hexadecimal), with 32-bit wrapping arithmetic.
std::int32_t version_number(std::string_view text);

enum class Stage { direct, staged };

// Whether a device reporting device_version must take the transition image first.
Stage stage_decision(std::string_view device_version, std::string_view transition_version);

// How a device reporting device_version stands against the target firmware. Current
// is what the check after an upgrade would accept; other versions are ordered by the
// numbers the stage decision compares, and one numbered like the target but written
// otherwise is another build of it. A device the stage decision sends through the
// transition image is outdated whatever its number: an "(NT" build is not on the
// target's line, however high it counts. A page without a version, or with blanks for one, tells nothing.
record::Standing version_standing(std::string_view device_version, std::string_view target_version,
                                  std::string_view transition_version);

}  // namespace voq::app
