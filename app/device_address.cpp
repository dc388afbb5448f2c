#include "app/device_address.h"

#include <array>
#include <cstddef>

namespace voq::app {

namespace {

constexpr std::size_t shortest_text = 7;  // "1.2.3.4"
constexpr std::size_t longest_text = 15;  // "255.255.255.255"

bool is_separator(char c) { return c == '.' || c == '*'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

AddressCode parse_device_address(std::string_view text, std::uint32_t* address)
{
    if (address != nullptr) *address = 0;

    if (text.size() < shortest_text || text.size() > longest_text) return AddressCode::bad_length;
    for (const char c : text) {
        if (!is_digit(c) && !is_separator(c)) return AddressCode::bad_character;
    }

    // The length test bounds every group to 15 digits, so a group's value cannot
    // overflow before it is compared with 255.
    std::array<std::uint32_t, 4> bytes{};
    std::size_t groups = 0;
    std::size_t position = 0;
    while (true) {
        while (position < text.size() && is_separator(text[position])) ++position;
        if (position == text.size()) break;
        if (groups == bytes.size()) return AddressCode::more_than_four_groups;
        std::uint64_t value = 0;
        while (position < text.size() && is_digit(text[position])) {
            value = value * 10 + static_cast<std::uint64_t>(text[position] - '0');
            ++position;
        }
        if (value > 255) return AddressCode::group_above_255;
        bytes[groups++] = static_cast<std::uint32_t>(value);
    }
    if (groups < bytes.size()) return AddressCode::fewer_than_four_groups;

    if (address != nullptr) *address = bytes[0] << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
    return AddressCode::accepted;
}

}  // namespace voq::app
