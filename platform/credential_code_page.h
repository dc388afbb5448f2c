#pragma once

#include <string>

namespace voq::platform {

// One character's bytes in the 8-bit text a device is sent credentials in: the ANSI
// code page on Windows (UTF-8 where that is 65001), Latin-1 elsewhere. Empty when the
// character has no form there, or is no character (half a surrogate pair).
std::string credential_character_bytes(char32_t character);

}  // namespace voq::platform
