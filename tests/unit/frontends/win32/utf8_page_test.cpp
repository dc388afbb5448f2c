// A program whose manifest gives it UTF-8 as its ANSI code page, as Windows does for
// every program when "Use Unicode UTF-8 for worldwide language support" is set: the
// password screen's credentials go out as UTF-8, whatever is typed.

#include <windows.h>

#include <gtest/gtest.h>

#include "ui/credential_bytes.h"

namespace voq::ui {
namespace {

TEST(CredentialFromUtf16, OnAUtf8SystemEveryCredentialGoesOutAsUtf8)
{
    ASSERT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8)) << "the manifest's activeCodePage was not taken";
    const struct {
        const wchar_t* typed;
        const char* bytes;
    } cases[] = {
        {L"admin", "admin"},
        {L"m\u00fcller-\u00e9t\u00e9", "m\xc3\xbcller-\xc3\xa9t\xc3\xa9"},
        {L"z\u0142oty", "z\xc5\x82oty"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.bytes);
        const std::wstring_view typed = each.typed;
        EXPECT_EQ(credential_from_utf16({reinterpret_cast<const char16_t*>(typed.data()), typed.size()}),
                  std::optional<std::string>(each.bytes));
    }
}

}  // namespace
}  // namespace voq::ui
