#include "frontends/cli/fleet/device_targets.h"

#include "frontends/cli/command_line/ipv4_text.h"

namespace voq::cli {

namespace {

DeviceTarget refused(std::string problem) { return {TargetKind::address, 0, 0, std::move(problem)}; }

// A number of 0 to most in plain decimal, or -1.
long small_number(std::string_view text, long most)
{
    if (text.empty() || text.size() > 3 || (text.size() > 1 && text[0] == '0')) return -1;
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value <= most ? value : -1;
}

// Letters, digits and hyphens in labels of 1 to 63 joined by dots, as a resolver takes
// them; a trailing dot names the root.
bool host_name_shape(std::string_view name)
{
    if (name.ends_with('.')) name.remove_suffix(1);
    if (name.empty() || name.size() > 253) return false;
    std::size_t label = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        const char c = i < name.size() ? name[i] : '.';
        if (c == '.') {
            if (label == 0 || label > 63 || name[i - 1] == '-' || name[i - label] == '-') return false;
            label = 0;
            continue;
        }
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        if (!allowed) return false;
        ++label;
    }
    return true;
}

DeviceTarget prefix_range(std::string_view text, std::size_t slash)
{
    const std::string shown(text.substr(0, 64));
    const ParsedIpv4 base = parse_strict_ipv4(text.substr(0, slash));
    const long bits = small_number(text.substr(slash + 1), 32);
    if (!base.problem.empty() || bits < 0) return refused("not an address range: " + shown);
    const std::uint32_t mask = bits == 0 ? 0 : ~std::uint32_t{0} << (32 - bits);
    std::uint32_t first = base.address & mask, last = first | ~mask;
    // Nothing answers on a subnet's network or broadcast address but every host at once.
    if (bits <= 30) ++first, --last;
    return {TargetKind::range, first, last, ""};
}

DeviceTarget span_range(std::string_view text, std::size_t dash)
{
    const std::string shown(text.substr(0, 64));
    const ParsedIpv4 first = parse_strict_ipv4(text.substr(0, dash));
    const std::string_view end = text.substr(dash + 1);
    std::uint32_t last = 0;
    if (end.find('.') == std::string_view::npos) {
        const long octet = small_number(end, 255);
        if (octet < 0) return refused("not an address range: " + shown);
        last = (first.address & 0xffffff00u) | static_cast<std::uint32_t>(octet);
    } else {
        const ParsedIpv4 parsed = parse_strict_ipv4(end);
        if (!parsed.problem.empty()) return refused("not an address range: " + shown);
        last = parsed.address;
    }
    if (last < first.address) return refused("a range that ends before it starts: " + shown);
    return {TargetKind::range, first.address, last, ""};
}

}  // namespace

DeviceTarget parse_target(std::string_view text)
{
    if (const std::size_t slash = text.find('/'); slash != std::string_view::npos) return prefix_range(text, slash);
    if (const std::size_t dash = text.find('-'); dash != std::string_view::npos) {
        if (parse_strict_ipv4(text.substr(0, dash)).problem.empty()) return span_range(text, dash);
    }
    // Digits and dots alone are meant as an address, never sent to a resolver.
    if (text.find_first_not_of("0123456789.") == std::string_view::npos || !host_name_shape(text)) {
        const ParsedIpv4 address = parse_strict_ipv4(text);
        if (!address.problem.empty()) return refused(address.problem);
        return {TargetKind::address, address.address, address.address, ""};
    }
    return {TargetKind::name, 0, 0, ""};
}

}  // namespace voq::cli
