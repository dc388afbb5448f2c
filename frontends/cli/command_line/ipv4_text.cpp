#include "frontends/cli/command_line/ipv4_text.h"

#include "ui/views.h"

namespace voq::cli {

namespace {

// One group's value, or -1 when the group is not 0 to 255 in plain decimal.
int group_value(std::string_view group)
{
    if (group.empty() || group.size() > 3) return -1;
    if (group.size() > 1 && group[0] == '0') return -1;
    int value = 0;
    for (const char c : group) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value <= 255 ? value : -1;
}

}  // namespace

ParsedIpv4 parse_strict_ipv4(std::string_view text)
{
    const std::string shown(text.substr(0, 64));
    const ParsedIpv4 not_an_address{0, "not an IPv4 address: " + shown};
    std::uint32_t address = 0;
    std::string_view rest = text;
    for (int group = 0; group < 4; ++group) {
        const std::size_t dot = rest.find('.');
        if ((group < 3) == (dot == std::string_view::npos)) return not_an_address;
        const int value = group_value(rest.substr(0, dot));
        if (value < 0) return not_an_address;
        address = address << 8 | static_cast<std::uint32_t>(value);
        rest = group < 3 ? rest.substr(dot + 1) : std::string_view{};
    }
    if (address == 0) return {0, "not a device's address: " + shown};
    if (address == 0xffffffffu) return {0, "a broadcast address, not a device's: " + shown};
    if ((address >> 28) == 0xe) return {0, "a multicast address, not a device's: " + shown};
    return {address, ""};
}

std::string subnet_address_problem(std::uint32_t device, std::uint32_t pc, std::optional<std::uint32_t> netmask)
{
    // A /31 or /32 has neither a network nor a broadcast address of its own.
    if (!netmask || (device & *netmask) != (pc & *netmask) || (~*netmask) < 3) return "";
    const std::string shown = ui::dotted(device);
    if ((device | *netmask) == 0xffffffffu) return "the broadcast address of the PC's subnet, not a device's: " + shown;
    if ((device & ~*netmask) == 0) return "the network address of the PC's subnet, not a device's: " + shown;
    return "";
}

}  // namespace voq::cli
