#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace voq::cli {

// An address on the command line or in a devices file: exactly four decimal numbers
// of 0 to 255 joined by dots. A leading zero is refused rather than guessed at (some
// tools read 010 as eight), and so are the addresses no single device can have.
struct ParsedIpv4 {
    std::uint32_t address = 0;
    std::string problem;  // empty when accepted
};

ParsedIpv4 parse_strict_ipv4(std::string_view text);

// Why device cannot be a device on the subnet of the PC address (its network or its
// broadcast address); empty when it can, or when the netmask is unknown.
std::string subnet_address_problem(std::uint32_t device, std::uint32_t pc, std::optional<std::uint32_t> netmask);

}  // namespace voq::cli
