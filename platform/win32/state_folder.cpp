#include "platform/state_folder.h"

#include <windows.h>

#include <string>

namespace voq::platform {

// Read wide: a user name with letters outside the ANSI code page is in the path.
std::filesystem::path support_log_folder()
{
    std::wstring folder(MAX_PATH, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", folder.data(), static_cast<DWORD>(folder.size()));
    if (length == 0 || length >= folder.size()) return {};
    folder.resize(length);
    return std::filesystem::path(folder) / L"VOQ Upgrade";
}

}  // namespace voq::platform
