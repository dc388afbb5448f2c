#include "platform/credential_code_page.h"

#include "platform/win32/code_page.h"

namespace voq::platform {

namespace win32 {

// The UTF-8 page takes neither the no-best-fit flag nor the report of a default
// character (Windows refuses the call outright): every character has bytes there, and
// the conversion itself refuses half a surrogate pair.
std::string code_page_bytes(char32_t character, UINT code_page, WideToBytes convert)
{
    wchar_t units[2];
    int count = 1;
    if (character >= 0x10000 && character <= 0x10ffff) {
        units[0] = static_cast<wchar_t>(0xd800 + ((character - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xdc00 + ((character - 0x10000) & 0x3ff));
        count = 2;
    } else if (character < 0x10000) {
        units[0] = static_cast<wchar_t>(character);
    } else {
        return {};
    }
    char bytes[8];
    BOOL unwritable = FALSE;
    const bool utf8 = code_page == CP_UTF8;
    const int written = convert(code_page, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, units, count, bytes,
                                sizeof bytes, nullptr, utf8 ? nullptr : &unwritable);
    if (written <= 0 || unwritable) return {};
    return std::string(bytes, static_cast<std::size_t>(written));
}

}  // namespace win32

std::string credential_character_bytes(char32_t character) { return win32::code_page_bytes(character, ::GetACP()); }

}  // namespace voq::platform
