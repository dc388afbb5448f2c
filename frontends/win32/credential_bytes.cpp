#include "frontends/win32/credential_bytes.h"

namespace voq::ui::win32 {

namespace {

bool starts_pair(std::wstring_view text, std::size_t at)
{
    return at + 1 < text.size() && text[at] >= 0xd800 && text[at] <= 0xdbff && text[at + 1] >= 0xdc00
           && text[at + 1] <= 0xdfff;
}

// One character's bytes in the page; empty when it has none there. The UTF-8 page
// takes neither the no-best-fit flag nor the report of a default character (Windows
// refuses the call outright): every character has bytes there, and the conversion
// itself refuses half a surrogate pair.
std::string character_bytes(std::wstring_view character, UINT code_page, WideToBytes convert)
{
    char bytes[8];
    BOOL unwritable = FALSE;
    const bool utf8 = code_page == CP_UTF8;
    const int written = convert(code_page, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, character.data(),
                                static_cast<int>(character.size()), bytes, sizeof bytes, nullptr,
                                utf8 ? nullptr : &unwritable);
    if (written <= 0 || unwritable) return {};
    return std::string(bytes, static_cast<std::size_t>(written));
}

}  // namespace

// Character by character, so that the cut never parts a lead byte from its trail
// byte, nor a UTF-8 sequence. Every typed character is checked, also those past the
// cut: a user told nothing would not know which of them were sent.
std::optional<std::string> credential_bytes(std::wstring_view typed, UINT code_page, WideToBytes convert)
{
    std::string text;
    bool full = false;
    for (std::size_t at = 0; at < typed.size();) {
        const std::size_t units = starts_pair(typed, at) ? 2 : 1;
        const std::string bytes = character_bytes(typed.substr(at, units), code_page, convert);
        if (bytes.empty()) return std::nullopt;
        full = full || text.size() + bytes.size() > credential_byte_limit;
        if (!full) text += bytes;
        at += units;
    }
    return text;
}

std::optional<std::string> ansi_credential(std::wstring_view typed) { return credential_bytes(typed, ::GetACP()); }

}  // namespace voq::ui::win32
