#pragma once

#include <cstddef>
#include <string>

namespace voq::cli {

struct FileContents {
    std::string bytes;
    std::string problem;  // a usage error naming the file; empty when read
};

// A file the user named, read whole when it is a regular file of at most most_bytes;
// anything else (a folder, a device, a pipe, a file too long) is a problem, never an
// exception.
FileContents read_named_file(const std::string& path, std::size_t most_bytes, const std::string& what);

inline constexpr std::size_t most_password_file_bytes = 64 * 1024;
inline constexpr std::size_t most_devices_file_bytes = 64 * 1024 * 1024;

}  // namespace voq::cli
