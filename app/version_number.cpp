#include "app/version_number.h"

#include <cstddef>
#include <limits>

#include "firmware/image.h"

namespace voq::app {

namespace {

constexpr int components_read = 3;
constexpr std::uint32_t component_weight = 100;

struct Component {
    std::uint32_t value;
    std::size_t end;  // where reading stopped; the start itself when no digit was found
};

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int digit_value(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

// The unsigned conversion of the C library with base 0, on a 32-bit unsigned long:
// blanks, one sign, "0x" for hexadecimal, a leading 0 for octal; saturating at
// 4294967295 whatever the sign; no digit at all leaves the end at the start.
Component read_component(std::string_view text, std::size_t start)
{
    std::size_t position = start;
    while (position < text.size() && is_space(text[position])) ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        ++position;
    }
    unsigned base = 10;
    if (position < text.size() && text[position] == '0') {
        // "0x" not followed by a hexadecimal digit is the number 0 ending at the 'x'.
        const bool hexadecimal = position + 2 < text.size() &&
                                 (text[position + 1] == 'x' || text[position + 1] == 'X') &&
                                 digit_value(text[position + 2]) < 16;
        base = hexadecimal ? 16 : 8;
        if (hexadecimal) position += 2;
    }

    const std::size_t first_digit = position;
    std::uint64_t value = 0;
    bool saturated = false;
    while (position < text.size() && static_cast<unsigned>(digit_value(text[position])) < base) {
        value = value * base + static_cast<unsigned>(digit_value(text[position]));
        if (value > std::numeric_limits<std::uint32_t>::max()) {
            saturated = true;
            value = std::numeric_limits<std::uint32_t>::max();
        }
        ++position;
    }
    if (position == first_digit) return {0, start};
    if (saturated) return {std::numeric_limits<std::uint32_t>::max(), position};
    auto component = static_cast<std::uint32_t>(value);
    if (negative) component = 0u - component;
    return {component, position};
}

}  // namespace

std::int32_t version_number(std::string_view text)
{
    std::uint32_t number = 0;
    std::size_t position = 0;
    for (int read = 0; read < components_read; ++read) {
        const Component component = read_component(text, position);
        number = number * component_weight + component.value;
        if (component.end >= text.size()) break;
        // Whatever stopped the reading is taken as the separator and skipped.
        position = component.end + 1;
    }
    return static_cast<std::int32_t>(number);
}

Stage stage_decision(std::string_view device_version, std::string_view transition_version)
{
    if (device_version.find("(NT") != std::string_view::npos) return Stage::staged;
    return version_number(device_version) < version_number(transition_version) ? Stage::staged : Stage::direct;
}

record::Standing version_standing(std::string_view device_version, std::string_view target_version,
                                  std::string_view transition_version)
{
    if (device_version.find_first_not_of(" \t\r\n") == std::string_view::npos) return record::Standing::unreadable;
    if (fw::same_version(device_version, target_version)) return record::Standing::current;
    if (stage_decision(device_version, transition_version) == Stage::staged) return record::Standing::outdated;
    const std::int32_t device = version_number(device_version);
    const std::int32_t target = version_number(target_version);
    if (device < target) return record::Standing::outdated;
    return device == target ? record::Standing::other_build : record::Standing::newer;
}

}  // namespace voq::app
