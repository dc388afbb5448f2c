#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace voq::platform {

// What a program writes about its user's runs names their addresses and paths: the
// folders it makes and the files it opens are the user's alone (0700 and 0600 on
// Linux). On Windows the folders under %LOCALAPPDATA% inherit the profile's access
// list, which admits the user, the administrators and the system alone.

// folder and each missing parent made; false when it is not a folder now. One that
// stood already keeps its mode but folder itself, which is closed to others, so that a
// folder an earlier version made open becomes private.
bool make_private_folder(const std::filesystem::path& folder);

struct OpenedFile;
// file opened for appending and made the user's alone when it is made. With new_only a
// file that is there already is not opened: two runs can never share one.
OpenedFile open_private_file(const std::filesystem::path& file, bool new_only);

// A file open for appending; each write reaches the system at once.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(AppendFile&& other) noexcept;
    AppendFile& operator=(AppendFile&& other) noexcept;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    bool is_open() const { return handle_ != closed; }
    bool write(std::string_view bytes);

private:
    friend OpenedFile open_private_file(const std::filesystem::path& file, bool new_only);
    static constexpr std::intptr_t closed = -1;
    std::intptr_t handle_ = closed;
};

struct OpenedFile {
    AppendFile file;
    bool already_there = false;  // with new_only: another run made it first
};

}  // namespace voq::platform
