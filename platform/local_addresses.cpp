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

}  // namespace voq::platform
