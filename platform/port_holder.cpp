#include "platform/port_holder.h"

#include <bit>
#include <charconv>
#include <string>
#include <vector>

namespace voq::platform {

namespace {

std::vector<std::string_view> words_of(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string_view::npos) break;
        const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
        words.push_back(line.substr(start, end - start));
        at = end;
    }
    return words;
}

template <typename Number>
std::optional<Number> number_of(std::string_view text, int base)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::uint32_t swapped(std::uint32_t value)
{
    return value >> 24 | (value >> 8 & 0xff00u) | (value << 8 & 0xff0000u) | value << 24;
}

// The kernel prints each 32-bit word of an address as the machine holds it in network order.
std::optional<std::uint32_t> word_of(std::string_view hex)
{
    const auto raw = number_of<std::uint32_t>(hex, 16);
    if (!raw || hex.size() != 8) return std::nullopt;
    return std::endian::native == std::endian::little ? swapped(*raw) : *raw;
}

// The IPv4 address a listed local address stands for: as it is in the udp table, or in
// the udp6 table a dual-stack socket's IPv4-mapped address, with :: for every address.
std::optional<std::uint32_t> ipv4_of(std::string_view hex)
{
    if (hex.size() == 8) return word_of(hex);
    if (hex.size() != 32) return std::nullopt;
    std::uint32_t words[4];
    for (std::size_t i = 0; i < 4; ++i) {
        const auto word = word_of(hex.substr(i * 8, 8));
        if (!word) return std::nullopt;
        words[i] = *word;
    }
    if (words[0] != 0 || words[1] != 0) return std::nullopt;
    if (words[2] == 0 && words[3] == 0) return 0u;
    if (words[2] == 0xffffu) return words[3];
    return std::nullopt;
}

}  // namespace

std::optional<unsigned long> udp_socket_inode(std::string_view table, std::uint32_t address, std::uint16_t port)
{
    constexpr std::size_t inode_word = 9;
    std::size_t at = 0;
    while (at < table.size()) {
        const std::size_t end = std::min(table.find('\n', at), table.size());
        const auto words = words_of(table.substr(at, end - at));
        at = end + 1;
        if (words.size() <= inode_word) continue;
        const std::string_view local = words[1];
        const std::size_t colon = local.find(':');
        if (colon == std::string_view::npos) continue;
        const auto listed = ipv4_of(local.substr(0, colon));
        const auto listed_port = number_of<std::uint16_t>(local.substr(colon + 1), 16);
        const auto inode = number_of<unsigned long>(words[inode_word], 10);
        if (!listed || !listed_port || !inode || *inode == 0) continue;
        if (*listed_port == port && (*listed == address || *listed == 0)) return inode;
    }
    return std::nullopt;
}

}  // namespace voq::platform
