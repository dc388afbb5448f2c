#pragma once

#include <cstdint>
#include <string_view>

namespace voq::app {

// Why a typed device address was refused; the numbers are the parser's result codes.
enum class AddressCode : int {
    accepted = 0,
    group_above_255 = 1,
    more_than_four_groups = 2,
    fewer_than_four_groups = 3,
    bad_length = 4,
    bad_character = 5,
};

// Validates the text typed on the address screen (the characters before its
// terminator) and, when address is given, stores the IPv4 address in host order
// there on success and 0 otherwise. '*' may stand for '.', and runs of separators
// count as one.
AddressCode parse_device_address(std::string_view text, std::uint32_t* address);

}  // namespace voq::app
