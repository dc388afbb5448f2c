// Apart from the rest of the platform, so that only a program that asks who holds a
// port imports the IP helper library.

// winsock2.h before windows.h, which would otherwise bring the old winsock.h, and both
// before iphlpapi.h, which uses their types.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <memory>
#include <string>

#include "platform/port_holder.h"

namespace voq::platform {

namespace {

std::string image_path(HANDLE process)
{
    char path[MAX_PATH];
    DWORD length = sizeof path;
    if (!::QueryFullProcessImageNameA(process, 0, path, &length)) return {};
    return std::string(path, length);
}

}  // namespace

std::optional<PortHolder> udp_port_holder(std::uint32_t address, std::uint16_t port)
{
    ULONG size = 0;
    if (::GetExtendedUdpTable(nullptr, &size, FALSE, AF_INET, UDP_TABLE_OWNER_PID, 0) != ERROR_INSUFFICIENT_BUFFER)
        return std::nullopt;
    size += 16 * sizeof(MIB_UDPROW_OWNER_PID);  // room for sockets opened in between
    auto buffer = std::make_unique<unsigned char[]>(size);
    auto* table = reinterpret_cast<MIB_UDPTABLE_OWNER_PID*>(buffer.get());
    if (::GetExtendedUdpTable(table, &size, FALSE, AF_INET, UDP_TABLE_OWNER_PID, 0) != NO_ERROR) return std::nullopt;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_UDPROW_OWNER_PID& row = table->table[i];
        const std::uint32_t listed = ::ntohl(row.dwLocalAddr);
        if (::ntohs(static_cast<u_short>(row.dwLocalPort)) != port || (listed != address && listed != 0)) continue;
        const std::string pid = std::to_string(row.dwOwningPid);
        std::string name = "a program";
        bool same = false;
        if (HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, row.dwOwningPid)) {
            const std::string full = image_path(process);
            if (!full.empty()) {
                name = full.substr(full.find_last_of("\\/") + 1);
                same = ::lstrcmpiA(full.c_str(), image_path(::GetCurrentProcess()).c_str()) == 0;
            }
            ::CloseHandle(process);
        }
        return PortHolder{name + " (process " + pid + ")", same};
    }
    return std::nullopt;
}

}  // namespace voq::platform
