#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace voq::test {

// The ordinary user that tests drop to, and how a command becomes that user.
inline constexpr int ordinary_user_id = 65534;
inline const std::vector<std::string> as_ordinary_user{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};

inline std::string as_ordinary_user_command()
{
    std::string command;
    for (const std::string& word : as_ordinary_user) command += word + " ";
    return command;
}

// Becoming another user takes real root; a user namespace maps only its own.
inline bool can_become_ordinary_user()
{
    return ::geteuid() == 0 && std::system((as_ordinary_user_command() + "true").c_str()) == 0;
}

// A private temporary folder that belongs to the ordinary user, for everything a test
// hands that user: the build may sit where that user cannot even look, such as a clone
// in root's home folder. Gone with the object.
class OrdinaryUserFolder {
public:
    OrdinaryUserFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "voq-ordinary-user-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) return;
        path_ = pattern;
        if (::chown(path_.c_str(), ordinary_user_id, ordinary_user_id) != 0) {
            remove();
            return;
        }
    }
    OrdinaryUserFolder(const OrdinaryUserFolder&) = delete;
    OrdinaryUserFolder& operator=(const OrdinaryUserFolder&) = delete;
    ~OrdinaryUserFolder() { remove(); }

    bool made() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }

    // A copy of file in the folder, readable by everyone and runnable when file is.
    std::filesystem::path hand(const std::filesystem::path& file) const
    {
        const std::filesystem::path copy = path_ / file.filename();
        std::error_code failed;
        std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing, failed);
        if (failed) return {};
        const auto runnable = std::filesystem::status(file).permissions() & std::filesystem::perms::owner_exec;
        std::filesystem::permissions(copy,
                                     runnable != std::filesystem::perms::none
                                         ? std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                               std::filesystem::perms::group_exec |
                                               std::filesystem::perms::others_read | std::filesystem::perms::others_exec
                                         : std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                               std::filesystem::perms::group_read | std::filesystem::perms::others_read,
                                     failed);
        return failed ? std::filesystem::path{} : copy;
    }

    // A folder inside, the ordinary user's own to write in.
    std::filesystem::path make_folder(const std::string& name) const
    {
        const std::filesystem::path inner = path_ / name;
        std::error_code failed;
        std::filesystem::create_directory(inner, failed);
        if (failed || ::chown(inner.c_str(), ordinary_user_id, ordinary_user_id) != 0) return {};
        return inner;
    }

private:
    void remove()
    {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
        path_.clear();
    }

    std::filesystem::path path_;
};

}  // namespace voq::test
