#include "platform/child_process.h"

#include <windows.h>

#include <mutex>

namespace voq::platform {

namespace {

constexpr std::size_t output_kept = 1u << 20;

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

double seconds_of(const FILETIME& time)
{
    return static_cast<double>(static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
}

}  // namespace

std::string own_program_path()
{
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}


ChildRun run_child(const std::vector<std::string>& arguments, const ChildSettings& settings)
{
    ChildRun result;
    HANDLE read_end = nullptr;
    PROCESS_INFORMATION process{};
    BOOL started = FALSE;
    {
        // Every inheritable handle open at CreateProcess goes to the child: a sibling
        // started meanwhile would keep this child's pipe open, and its end of file late.
        static std::mutex inheriting;
        const std::lock_guard<std::mutex> lock(inheriting);
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        HANDLE write_end = nullptr;
        if (!::CreatePipe(&read_end, &write_end, &inherited, 0)) return result;
        ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
        HANDLE nothing = ::CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inherited, OPEN_EXISTING, 0, nullptr);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nothing;
        startup.hStdOutput = write_end;
        startup.hStdError = settings.pass_errors ? ::GetStdHandle(STD_ERROR_HANDLE) : nothing;
        std::string command_line;
        for (const std::string& argument : arguments)
            command_line += (command_line.empty() ? "" : " ") + quoted(argument);
        started = ::CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                                   nullptr, &startup, &process);
        ::CloseHandle(write_end);
        if (nothing != INVALID_HANDLE_VALUE) ::CloseHandle(nothing);
    }
    if (started) {
        if (children_job() != nullptr) ::AssignProcessToJobObject(children_job(), process.hProcess);
        ::ResumeThread(process.hThread);
        if (settings.started) settings.started(static_cast<long>(process.dwProcessId));
    }
    if (started) {
        char chunk[4096];
        DWORD got = 0;
        while (::ReadFile(read_end, chunk, sizeof chunk, &got, nullptr) && got > 0)
            if (result.output.size() < output_kept) result.output.append(chunk, got);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 0;
        if (::GetExitCodeProcess(process.hProcess, &status)) result.status = static_cast<int>(status);
        FILETIME created{}, ended{}, kernel{}, user{};
        if (::GetProcessTimes(process.hProcess, &created, &ended, &kernel, &user))
            result.cpu_seconds = seconds_of(kernel) + seconds_of(user);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
    }
    ::CloseHandle(read_end);
    return result;
}

}  // namespace voq::platform
