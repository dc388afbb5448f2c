// The one encoder of credentials: the cut at a whole character within 126 bytes, and
// a character that cannot be sent refused only where it would have been sent.

#include "ui/credential_bytes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace voq::ui {
namespace {

std::string times(std::size_t count, std::string_view text)
{
    std::string repeated;
    for (std::size_t k = 0; k < count; ++k) repeated += text;
    return repeated;
}

std::u16string times(std::size_t count, std::u16string_view text)
{
    std::u16string repeated;
    for (std::size_t k = 0; k < count; ++k) repeated += text;
    return repeated;
}

// A page where 'w' is two bytes, 'x' has none, and the rest is ASCII.
std::string test_page(char32_t c)
{
    if (c == U'w') return "WW";
    if (c == U'x' || c > 0x7f) return {};
    return std::string(1, static_cast<char>(c));
}

struct Case {
    const char* name;
    std::u16string typed;
    std::optional<std::string> bytes;
};

TEST(CredentialFromUtf16, CutsAtAWholeCharacterAndJudgesOnlyWhatIsSent)
{
    const std::vector<Case> cases = {
        {"short", u"admin", "admin"},
        {"empty", u"", ""},
        {"an unsendable character among those sent", u"axb", std::nullopt},
        {"200 letters give their first 126", times(200, u"a"), times(126, "a")},
        {"the unsendable one past the cut is not judged", times(126, u"a") + u"x", times(126, "a")},
        {"the unsendable one as the 126th byte is", times(125, u"a") + u"x", std::nullopt},
        {"a two-byte character that would end past the cut is left out", times(125, u"a") + u"w", times(125, "a")},
        {"and so is an unsendable one behind it", times(125, u"a") + u"wx", times(125, "a")},
        {"a two-byte character that ends at the cut is sent", times(124, u"a") + u"w", times(124, "a") + "WW"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        EXPECT_EQ(credential_from_utf16(each.typed, test_page), each.bytes);
    }
}

TEST(CredentialFromUtf8, TheSameRuleAndTextThatIsNotUtf8AsItsBytes)
{
    const struct {
        const char* name;
        std::string typed;
        std::optional<std::string> bytes;
    } cases[] = {
        {"ASCII", "admin", "admin"},
        {"a character the page lacks", "a\xc3\xa4", std::nullopt},
        {"past the cut", times(126, "a") + "\xc3\xa4", times(126, "a")},
        {"not UTF-8: bytes already", "p\xe4ss", "p\xe4ss"},
        {"overlong: not UTF-8 either", "\xc0\xaf", "\xc0\xaf"},
        {"an encoded surrogate is not UTF-8", "\xed\xa0\x80", "\xed\xa0\x80"},
        {"bytes already, cut to 126", times(130, "\xe4"), times(126, "\xe4")},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        EXPECT_EQ(credential_from_utf8(each.typed, test_page), each.bytes);
    }
}

#if !defined(_WIN32)
// The Linux programs send Latin-1, as they always have.
TEST(CredentialFromUtf8, OnLinuxLatin1)
{
    EXPECT_EQ(credential_from_utf8("p\xc3\xa4ss"), "p\xe4ss");
    EXPECT_FALSE(credential_from_utf8("\xe2\x82\xac"));  // the euro sign has no Latin-1 byte
    EXPECT_EQ(credential_from_utf16(u"p\u00e4ss"), "p\xe4ss");
    EXPECT_FALSE(credential_from_utf16(u"a\xd800"));  // half a surrogate pair is no character
}
#endif

}  // namespace
}  // namespace voq::ui
