#include "frontends/cli/input_file.h"

#include <filesystem>
#include <fstream>

namespace voq::cli {

FileContents read_named_file(const std::string& path, std::size_t most_bytes, const std::string& what)
{
    const std::string cannot = "cannot read the " + what + " " + path;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) return {"", cannot};
    if (!std::filesystem::is_regular_file(status)) return {"", "the " + what + " " + path + " is not a regular file"};
    const auto size = std::filesystem::file_size(path, error);
    if (error) return {"", cannot};
    if (size > most_bytes) return {"", "the " + what + " " + path + " is too long"};
    std::ifstream file(path, std::ios::binary);
    if (!file) return {"", cannot};
    FileContents read;
    // One byte more than it had, so that a file that grew since is noticed.
    read.bytes.resize(static_cast<std::size_t>(size) + 1);
    file.read(read.bytes.data(), static_cast<std::streamsize>(read.bytes.size()));
    if (file.bad()) return {"", cannot};
    read.bytes.resize(static_cast<std::size_t>(file.gcount()));
    if (read.bytes.size() > most_bytes) return {"", "the " + what + " " + path + " is too long"};
    return read;
}

}  // namespace voq::cli
