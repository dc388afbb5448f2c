#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace voq::ui::win32 {

// A PNG of 8-bit RGB pixels (rows top to bottom), stored without compression: the
// autopilot's screenshots need no more.
bool write_png(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace voq::ui::win32
