// The credentials in the bytes of the code pages a Windows system may run with: the
// UTF-8 page, a single-byte page and a double-byte one.

#include "platform/win32/code_page.h"
#include "ui/credential_bytes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace voq::ui {
namespace {

using platform::win32::WideToBytes;

// The system's conversion held to the rule Windows documents for the UTF-8 page and
// enforces, unlike wine: no flag but WC_ERR_INVALID_CHARS, no default character, no
// report of its use.
int WINAPI as_windows_converts(UINT page, DWORD flags, LPCWCH wide, int count, LPSTR bytes, int size,
                               LPCCH default_character, LPBOOL used_default)
{
    if (page == CP_UTF8 && (flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0) {
        ::SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (page == CP_UTF8 && (default_character != nullptr || used_default != nullptr)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return ::WideCharToMultiByte(page, flags, wide, count, bytes, size, default_character, used_default);
}

std::optional<std::string> credential_bytes(std::wstring_view typed, UINT code_page,
                                            WideToBytes convert = ::WideCharToMultiByte)
{
    return credential_from_utf16({reinterpret_cast<const char16_t*>(typed.data()), typed.size()},
                                 [&](char32_t c) { return platform::win32::code_page_bytes(c, code_page, convert); });
}

std::wstring times(std::size_t count, std::wstring_view text)
{
    std::wstring repeated;
    for (std::size_t k = 0; k < count; ++k) repeated += text;
    return repeated;
}

std::string times(std::size_t count, std::string_view text)
{
    std::string repeated;
    for (std::size_t k = 0; k < count; ++k) repeated += text;
    return repeated;
}

struct Case {
    const char* name;
    UINT code_page;
    std::wstring typed;
    std::optional<std::string> bytes;  // nothing: refused
};

TEST(CredentialBytes, EveryCharacterHasBytesInUtf8AndOnlyThoseOfThePageElsewhere)
{
    const std::vector<Case> cases = {
        {"utf-8: the factory user name", CP_UTF8, L"admin", "admin"},
        {"utf-8: empty", CP_UTF8, L"", ""},
        {"utf-8: Latin-1", CP_UTF8, L"p\u00e4ssw\u00f6rd", "p\xc3\xa4ssw\xc3\xb6rd"},
        {"utf-8: beyond Latin-1", CP_UTF8, L"z\u0142oty", "z\xc5\x82oty"},
        {"utf-8: beyond the 16-bit plane", CP_UTF8, L"\U0001F600", "\xf0\x9f\x98\x80"},
        {"utf-8: half a surrogate pair is no character", CP_UTF8, L"a\xd800", std::nullopt},
        {"1252: the factory user name", 1252, L"admin", "admin"},
        {"1252: Latin-1", 1252, L"p\u00e4ssw\u00f6rd", "p\xe4ssw\xf6rd"},
        {"1252: the euro sign", 1252, L"\u20ac", "\x80"},
        {"1252: a character the page lacks", 1252, L"z\u0142oty", std::nullopt},
        {"1252: no look-alike in its place", 1252, L"\u0101", std::nullopt},
        {"1252: beyond the 16-bit plane", 1252, L"\U0001F600", std::nullopt},
        {"932: the factory user name", 932, L"admin", "admin"},
        {"932: double-byte characters", 932, L"\u30d1\u30b9\u30ef\u30fc\u30c9",
         "\x83\x70\x83\x58\x83\x8f\x81\x5b\x83\x68"},
        {"932: a single-byte katakana", 932, L"\uff71", "\xb1"},
        {"932: Latin-1 the page lacks", 932, L"p\u00e4ss", std::nullopt},
        {"932: a character the page lacks", 932, L"z\u0142oty", std::nullopt},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        EXPECT_EQ(credential_bytes(each.typed, each.code_page, as_windows_converts), each.bytes);
        EXPECT_EQ(credential_bytes(each.typed, each.code_page), each.bytes);  // and as the system converts
    }
}

TEST(CredentialBytes, ALongCredentialIsCutAtAWholeCharacterWithin126Bytes)
{
    const std::vector<Case> cases = {
        {"1252: 200 letters give their first 126", 1252, times(200, L"a"), times(126, "a")},
        {"1252: 130 Latin-1 letters give 126 bytes", 1252, times(130, L"\u00e9"), times(126, "\xe9")},
        // Only what is sent counts: the user's entry works as far as the device reads it.
        {"1252: a character the page lacks past the cut is not sent, nor refused", 1252, times(130, L"a") + L"\u0142",
         times(126, "a")},
        {"1252: one the page lacks just past a cut that a wide character made", 1252,
         times(125, L"a") + L"\u00e9\u0142", times(125, "a") + "\xe9"},
        {"1252: one the page lacks as the last sent character is refused", 1252, times(125, L"a") + L"\u0142",
         std::nullopt},
        {"932: one the page lacks after a double-byte character left out", 932, times(125, L"a") + L"\u30a2\u0142",
         times(125, "a")},
        {"utf-8: 126 bytes of two-byte characters", CP_UTF8, times(63, L"\u0142"), times(63, "\xc5\x82")},
        {"utf-8: the character that would end past 126 is left out", CP_UTF8, L"a" + times(63, L"\u0142"),
         "a" + times(62, "\xc5\x82")},
        {"utf-8: three-byte characters", CP_UTF8, L"a" + times(42, L"\u20ac"), "a" + times(41, "\xe2\x82\xac")},
        {"utf-8: a surrogate pair stays whole", CP_UTF8, L"aaa" + times(31, L"\U0001F600"),
         "aaa" + times(30, "\xf0\x9f\x98\x80")},
        {"932: 126 bytes of double-byte characters", 932, times(63, L"\u30a2"), times(63, "\x83\x41")},
        {"932: a lead byte is never left without its trail", 932, L"a" + times(63, L"\u30a2"),
         "a" + times(62, "\x83\x41")},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        EXPECT_EQ(credential_bytes(each.typed, each.code_page, as_windows_converts), each.bytes);
    }
}

}  // namespace
}  // namespace voq::ui
