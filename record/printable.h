#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace voq::record {

// Texts from the device are shown, not obeyed: control characters go.
std::string printable(std::string_view text);

// "a.b.c.d", most significant byte first.
std::string dotted(std::uint32_t address);

}  // namespace voq::record
