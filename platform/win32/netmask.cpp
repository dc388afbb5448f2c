// Apart from the local addresses, so that only a program that asks for a netmask
// imports the IP helper library.

#include "platform/local_addresses.h"

// winsock2.h before windows.h, which would otherwise bring the old winsock.h, and both
// before iphlpapi.h, which uses their types.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <memory>

namespace voq::platform {

namespace {

std::uint32_t host_order(DWORD network_order)
{
    const auto* b = reinterpret_cast<const unsigned char*>(&network_order);
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

}  // namespace

std::optional<std::uint32_t> netmask_of(std::uint32_t address)
{
    ULONG size = 0;
    if (::GetIpAddrTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
    auto buffer = std::make_unique<unsigned char[]>(size);
    auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.get());
    if (::GetIpAddrTable(table, &size, FALSE) != NO_ERROR) return std::nullopt;
    std::vector<InterfaceNetwork> networks;
    for (DWORD i = 0; i < table->dwNumEntries; ++i)
        networks.push_back({host_order(table->table[i].dwAddr), host_order(table->table[i].dwMask)});
    return netmask_for(networks, address);
}

}  // namespace voq::platform
