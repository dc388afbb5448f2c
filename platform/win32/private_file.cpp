#include "platform/private_file.h"

#include <windows.h>

#include <system_error>

namespace voq::platform {

namespace {

HANDLE handle_of(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

// The access list comes from the parent: under %LOCALAPPDATA% the profile's, which
// admits no other user.
bool make_private_folder(const std::filesystem::path& folder)
{
    if (folder.empty()) return false;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

AppendFile::~AppendFile()
{
    if (handle_ != closed) ::CloseHandle(handle_of(handle_));
}

AppendFile::AppendFile(AppendFile&& other) noexcept : handle_(other.handle_) { other.handle_ = closed; }

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept
{
    if (this != &other) {
        if (handle_ != closed) ::CloseHandle(handle_of(handle_));
        handle_ = other.handle_;
        other.handle_ = closed;
    }
    return *this;
}

bool AppendFile::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(handle_of(handle_), bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

OpenedFile open_private_file(const std::filesystem::path& file, bool new_only)
{
    OpenedFile opened;
    // Others may read a log while it is written, as they could with the streams before.
    const HANDLE handle = ::CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        new_only ? CREATE_NEW : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        opened.already_there = new_only && ::GetLastError() == ERROR_FILE_EXISTS;
        return opened;
    }
    opened.file.handle_ = reinterpret_cast<std::intptr_t>(handle);
    return opened;
}

}  // namespace voq::platform
