#include "frontends/cli/credentials.h"

#include <cstdint>

namespace voq::cli {

namespace {

// The code point at text[i], or nothing when no valid UTF-8 sequence starts there.
std::optional<std::uint32_t> decode(std::string_view text, std::size_t& i)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    int length = 0;
    std::uint32_t value = 0;
    if (lead < 0x80) { ++i; return lead; }
    if ((lead & 0xe0) == 0xc0) { length = 2; value = lead & 0x1f; }
    else if ((lead & 0xf0) == 0xe0) { length = 3; value = lead & 0x0f; }
    else if ((lead & 0xf8) == 0xf0) { length = 4; value = lead & 0x07; }
    else return std::nullopt;
    if (i + static_cast<std::size_t>(length) > text.size()) return std::nullopt;
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xc0) != 0x80) return std::nullopt;
        value = value << 6 | (byte(i + k) & 0x3f);
    }
    constexpr std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10ffff) return std::nullopt;  // overlong or beyond Unicode
    i += static_cast<std::size_t>(length);
    return value;
}

}  // namespace

std::optional<std::string> latin1_credential(std::string_view typed)
{
    std::string bytes;
    for (std::size_t i = 0; i < typed.size();) {
        const auto code_point = decode(typed, i);
        if (!code_point) return std::string(typed);
        if (*code_point > 0xff) return std::nullopt;
        bytes += static_cast<char>(*code_point);
    }
    return bytes;
}

std::string first_line(std::string_view contents)
{
    std::string_view line = contents.substr(0, contents.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return std::string(line);
}

}  // namespace voq::cli
