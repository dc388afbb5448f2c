#include "frontends/cli/terminal/input_file.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace voq::cli {

FileContents read_named_file(const std::string& path, std::size_t most_bytes, const std::string& what)
{
    // The system's reason: a missing file and a refused one call for different help.
    const auto cannot = [&](const std::string& reason) {
        return FileContents{"", "cannot read the " + what + " " + path + ": " + reason};
    };
    const auto errno_reason = [](int fallback) {
        return std::generic_category().message(errno != 0 ? errno : fallback);
    };
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status))
        return cannot(error ? error.message() : std::generic_category().message(ENOENT));
    if (!std::filesystem::is_regular_file(status)) return {"", "the " + what + " " + path + " is not a regular file"};
    const auto size = std::filesystem::file_size(path, error);
    if (error) return cannot(error.message());
    if (size > most_bytes) return {"", "the " + what + " " + path + " is too long"};
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file) return cannot(errno_reason(EACCES));
    FileContents read;
    // One byte more than it had, so that a file that grew since is noticed.
    read.bytes.resize(static_cast<std::size_t>(size) + 1);
    file.read(read.bytes.data(), static_cast<std::streamsize>(read.bytes.size()));
    if (file.bad()) return cannot(errno_reason(EIO));
    read.bytes.resize(static_cast<std::size_t>(file.gcount()));
    if (read.bytes.size() > most_bytes) return {"", "the " + what + " " + path + " is too long"};
    return read;
}

}  // namespace voq::cli
