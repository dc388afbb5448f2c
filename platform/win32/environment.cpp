#include "platform/environment.h"

#include <windows.h>

namespace voq::platform {

std::optional<std::string> environment_text(const char* name)
{
    std::wstring wide_name;
    for (const char* c = name; *c != '\0'; ++c) wide_name += static_cast<wchar_t>(*c);
    const DWORD length = ::GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
    if (length <= 1) return std::nullopt;
    std::wstring value(length, L'\0');
    value.resize(::GetEnvironmentVariableW(wide_name.c_str(), value.data(), length));
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, value.data(), static_cast<int>(value.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, value.data(), static_cast<int>(value.size()), text.data(), size, nullptr,
                          nullptr);
    return text;
}

}  // namespace voq::platform
