#include "platform/local_addresses.h"

namespace voq::platform {

std::vector<std::uint32_t> order_local_addresses(std::span<const InterfaceAddress> interfaces)
{
    std::vector<std::uint32_t> ordered;
    for (const bool loopback : {false, true}) {
        for (const InterfaceAddress& entry : interfaces) {
            if (entry.up && entry.loopback == loopback) ordered.push_back(entry.address);
        }
    }
    return ordered;
}

std::optional<std::uint32_t> netmask_for(std::span<const InterfaceNetwork> interfaces, std::uint32_t address)
{
    std::optional<std::uint32_t> found;
    for (const InterfaceNetwork& entry : interfaces) {
        if (entry.address == address) return entry.netmask;
        if ((entry.address & entry.netmask) == (address & entry.netmask) && !found) found = entry.netmask;
    }
    return found;
}

}  // namespace voq::platform
