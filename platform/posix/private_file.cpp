#include "platform/private_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace voq::platform {

bool make_private_folder(const std::filesystem::path& folder)
{
    if (folder.empty()) return false;
    // Each level made by this call, never by create_directories, which takes the umask's 0755.
    std::filesystem::path made;
    for (const auto& part : folder) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
    if ((status.st_mode & 077) != 0 && status.st_uid == ::geteuid()) ::chmod(folder.c_str(), 0700);
    return true;
}

AppendFile::~AppendFile()
{
    if (handle_ != closed) ::close(static_cast<int>(handle_));
}

AppendFile::AppendFile(AppendFile&& other) noexcept : handle_(other.handle_) { other.handle_ = closed; }

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept
{
    if (this != &other) {
        if (handle_ != closed) ::close(static_cast<int>(handle_));
        handle_ = other.handle_;
        other.handle_ = closed;
    }
    return *this;
}

bool AppendFile::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

OpenedFile open_private_file(const std::filesystem::path& file, bool new_only)
{
    const int flags = O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | (new_only ? O_EXCL : 0);
    OpenedFile opened;
    const int descriptor = ::open(file.c_str(), flags, 0600);
    if (descriptor < 0) {
        opened.already_there = new_only && errno == EEXIST;
        return opened;
    }
    opened.file.handle_ = descriptor;
    return opened;
}

}  // namespace voq::platform
