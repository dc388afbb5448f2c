#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace voq::ui::win32 {

// The most bytes of a user name or a password that reach the device.
inline constexpr std::size_t credential_byte_limit = 126;

// The system's conversion from UTF-16 (WideCharToMultiByte), or one with its
// signature in its place.
using WideToBytes = int(WINAPI*)(UINT, DWORD, LPCWCH, int, LPSTR, int, LPCCH, LPBOOL);

// A credential as typed, in the 8-bit bytes of a code page: cut after the last whole
// character that fits in credential_byte_limit bytes, or nothing when a character
// has no form there (the system would send '?' or a look-alike in its place).
std::optional<std::string> credential_bytes(std::wstring_view typed, UINT code_page,
                                            WideToBytes convert = ::WideCharToMultiByte);

// The same in the system's ANSI code page, in which the device is sent the credentials.
std::optional<std::string> ansi_credential(std::wstring_view typed);

}  // namespace voq::ui::win32
