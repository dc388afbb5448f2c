// The address parser on any typed text: a defined code, and an accepted address
// that prints back to a text the parser reads as the same address.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/device_address.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view typed(reinterpret_cast<const char*>(data), size);
    std::uint32_t address = 1;
    const auto code = voq::app::parse_device_address(typed, &address);
    if (static_cast<int>(code) < 0 || static_cast<int>(code) > 5) std::abort();
    if (code != voq::app::AddressCode::accepted) {
        if (address != 0) std::abort();
        return 0;
    }
    char dotted[16];
    std::snprintf(dotted, sizeof dotted, "%u.%u.%u.%u", address >> 24, (address >> 16) & 255, (address >> 8) & 255,
                  address & 255);
    std::uint32_t again = 0;
    if (voq::app::parse_device_address(dotted, &again) != voq::app::AddressCode::accepted || again != address)
        std::abort();
    return 0;
}
