#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace voq::test {

// What a test reads back whole: a program's output, a log, an image. Past this a file
// is no test's input but a runaway writer, and is cut here rather than fill memory.
constexpr std::size_t file_read_limit = std::size_t{64} << 20;

// The file's bytes, its first file_read_limit of them; empty when it cannot be read.
inline std::string read_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    std::array<char, 1 << 16> chunk;
    while (in && bytes.size() < file_read_limit) {
        in.read(chunk.data(), static_cast<std::streamsize>(std::min(chunk.size(), file_read_limit - bytes.size())));
        bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    return bytes;
}

inline std::vector<std::uint8_t> read_file_bytes(const std::filesystem::path& path)
{
    const std::string bytes = read_file(path);
    return {bytes.begin(), bytes.end()};
}

// A folder of a test's own under the system's temporary folder, named for the test
// program and the process, and gone with the object.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name)
        : path_(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(path_);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace voq::test
