#include "ui/credential_bytes.h"

#include <cstdint>
#include <vector>

#include "platform/credential_code_page.h"

namespace voq::ui {

namespace {

// Half a surrogate pair stays what it is, which no code page can send.
std::vector<char32_t> utf16_characters(std::u16string_view text)
{
    std::vector<char32_t> characters;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char16_t unit = text[at];
        const bool pair = unit >= 0xd800 && unit <= 0xdbff && at + 1 < text.size() && text[at + 1] >= 0xdc00 &&
                          text[at + 1] <= 0xdfff;
        if (!pair) {
            characters.push_back(unit);
            continue;
        }
        characters.push_back(0x10000 + ((static_cast<char32_t>(unit) - 0xd800) << 10) + (text[at + 1] - 0xdc00));
        ++at;
    }
    return characters;
}

std::optional<char32_t> decode(std::string_view text, std::size_t& i)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    int length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    if ((lead & 0xe0) == 0xc0) {
        length = 2;
        value = lead & 0x1f;
    } else if ((lead & 0xf0) == 0xe0) {
        length = 3;
        value = lead & 0x0f;
    } else if ((lead & 0xf8) == 0xf0) {
        length = 4;
        value = lead & 0x07;
    } else return std::nullopt;
    if (i + static_cast<std::size_t>(length) > text.size()) return std::nullopt;
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xc0) != 0x80) return std::nullopt;
        value = value << 6 | (byte(i + k) & 0x3f);
    }
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff)) return std::nullopt;
    i += static_cast<std::size_t>(length);
    return value;
}

std::optional<std::vector<char32_t>> utf8_characters(std::string_view text)
{
    std::vector<char32_t> characters;
    for (std::size_t i = 0; i < text.size();) {
        const auto character = decode(text, i);
        if (!character) return std::nullopt;
        characters.push_back(*character);
    }
    return characters;
}

// A character with no bytes is judged where it stands: once the bytes are full it
// would not have been sent, whatever its size.
std::optional<std::string> encode(const std::vector<char32_t>& characters, const CharacterBytes& bytes_of)
{
    std::string sent;
    for (const char32_t character : characters) {
        if (sent.size() >= credential_byte_limit) break;
        const std::string bytes = bytes_of ? bytes_of(character) : platform::credential_character_bytes(character);
        if (bytes.empty()) return std::nullopt;
        if (sent.size() + bytes.size() > credential_byte_limit) break;
        sent += bytes;
    }
    return sent;
}

}  // namespace

std::optional<std::string> credential_from_utf16(std::u16string_view typed, const CharacterBytes& bytes)
{
    return encode(utf16_characters(typed), bytes);
}

std::optional<std::string> credential_from_utf8(std::string_view typed, const CharacterBytes& bytes)
{
    const auto characters = utf8_characters(typed);
    if (!characters) return std::string(typed.substr(0, credential_byte_limit));
    return encode(*characters, bytes);
}

}  // namespace voq::ui
