#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace voq::ui {

// The most bytes of a user name or a password that reach the device.
inline constexpr std::size_t credential_byte_limit = 126;

// One character's bytes, empty when it has none; by default the platform's rule.
using CharacterBytes = std::function<std::string(char32_t)>;

// The one encoder of credentials, for every front-end: the text as typed or read, in
// the bytes the platform sends (the ANSI code page on Windows, Latin-1 on Linux), cut
// after the last whole character that fits in credential_byte_limit bytes. Nothing
// when a character among those sent has no bytes: the device could only be sent it
// changed. Characters past the cut are not sent, and not judged.
std::optional<std::string> credential_from_utf16(std::u16string_view typed, const CharacterBytes& bytes = {});
// Text that is not UTF-8 (a password file in the ANSI code page) is taken as the
// bytes to send, cut to the limit.
std::optional<std::string> credential_from_utf8(std::string_view typed, const CharacterBytes& bytes = {});

}  // namespace voq::ui
