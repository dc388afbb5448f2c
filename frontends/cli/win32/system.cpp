#include "frontends/cli/system.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <memory>
#include <string>

namespace voq::cli::system {

namespace {

std::uint32_t host_order(DWORD network_order)
{
    const auto* b = reinterpret_cast<const unsigned char*>(&network_order);
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

// The command line Windows hands to the child: each argument quoted, its backslashes
// and quotes escaped as the C runtime reads them back.
std::string quoted(const std::string& argument)
{
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

}  // namespace

std::optional<std::uint32_t> netmask_of(std::uint32_t address)
{
    ULONG size = 0;
    if (::GetIpAddrTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
    auto buffer = std::make_unique<unsigned char[]>(size);
    auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.get());
    if (::GetIpAddrTable(table, &size, FALSE) != NO_ERROR) return std::nullopt;
    std::optional<std::uint32_t> found;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const std::uint32_t own = host_order(table->table[i].dwAddr), mask = host_order(table->table[i].dwMask);
        if (own == address) return mask;
        if ((own & mask) == (address & mask) && !found) found = mask;
    }
    return found;
}

std::optional<std::string> environment_text(const char* name)
{
    std::wstring wide_name;
    for (const char* c = name; *c != '\0'; ++c) wide_name += static_cast<wchar_t>(*c);
    const DWORD length = ::GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
    if (length <= 1) return std::nullopt;
    std::wstring value(length, L'\0');
    value.resize(::GetEnvironmentVariableW(wide_name.c_str(), value.data(), length));
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, value.data(), static_cast<int>(value.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, value.data(), static_cast<int>(value.size()), text.data(), size, nullptr, nullptr);
    return text;
}

std::string own_program_path()
{
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

namespace {

// Every child in one job that ends with its last handle, which this process holds: the
// children end with it however it ends.
HANDLE children_job()
{
    static const HANDLE job = [] {
        const HANDLE created = ::CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (created != nullptr)
            ::SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return created;
    }();
    return job;
}

}  // namespace

void end_with_parent(long) {}

long own_process_id() { return static_cast<long>(::GetCurrentProcessId()); }

ChildResult run_child(const std::vector<std::string>& arguments, bool pass_errors)
{
    ChildResult result{-1, {}};
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!::CreatePipe(&read_end, &write_end, &inherited, 0)) return result;
    ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    HANDLE nothing = ::CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                   OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = write_end;
    startup.hStdError = pass_errors ? ::GetStdHandle(STD_ERROR_HANDLE) : nothing;
    std::string command_line;
    for (const std::string& argument : arguments) command_line += (command_line.empty() ? "" : " ") + quoted(argument);
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                                          nullptr, &startup, &process);
    if (started) {
        if (children_job() != nullptr) ::AssignProcessToJobObject(children_job(), process.hProcess);
        ::ResumeThread(process.hThread);
    }
    ::CloseHandle(write_end);
    ::CloseHandle(nothing);
    if (started) {
        char chunk[4096];
        DWORD got = 0;
        while (::ReadFile(read_end, chunk, sizeof chunk, &got, nullptr) && got > 0)
            if (result.output.size() < 1u << 20) result.output.append(chunk, got);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 0;
        if (::GetExitCodeProcess(process.hProcess, &status)) result.status = static_cast<int>(status);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
    }
    ::CloseHandle(read_end);
    return result;
}

std::optional<std::string> udp_port_holder(std::uint32_t address, std::uint16_t port)
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
        if (HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, row.dwOwningPid)) {
            char path[MAX_PATH];
            DWORD length = sizeof path;
            if (::QueryFullProcessImageNameA(process, 0, path, &length) && length > 0) {
                const std::string full(path, length);
                name = full.substr(full.find_last_of("\\/") + 1);
            }
            ::CloseHandle(process);
        }
        return name + " (process " + pid + ")";
    }
    return std::nullopt;
}

}  // namespace voq::cli::system
