#pragma once

#include <windows.h>

#include <string>

namespace voq::platform::win32 {

// The system's conversion from UTF-16 (WideCharToMultiByte), or one with its
// signature in its place.
using WideToBytes = int(WINAPI*)(UINT, DWORD, LPCWCH, int, LPSTR, int, LPCCH, LPBOOL);

// One character in a code page; empty when the page has no form for it (the system
// would send '?' or a look-alike in its place).
std::string code_page_bytes(char32_t character, UINT code_page, WideToBytes convert = ::WideCharToMultiByte);

}  // namespace voq::platform::win32
