#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/port_holder.h"

namespace voq::platform {

namespace {

// A file of /proc read whole, up to most bytes.
std::string proc_text(const std::filesystem::path& path, std::size_t most)
{
    std::ifstream in(path, std::ios::binary);
    std::string text;
    char chunk[4096];
    while (in && text.size() < most) {
        in.read(chunk, static_cast<std::streamsize>(std::min(sizeof chunk, most - text.size())));
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    return text;
}

}  // namespace

std::optional<PortHolder> udp_port_holder(std::uint32_t address, std::uint16_t port)
{
    auto inode = udp_socket_inode(proc_text("/proc/net/udp", 4u << 20), address, port);
    if (!inode) inode = udp_socket_inode(proc_text("/proc/net/udp6", 4u << 20), address, port);
    if (!inode) return std::nullopt;
    const std::string wanted = "socket:[" + std::to_string(*inode) + "]";
    namespace fs = std::filesystem;
    // Processes come and go during the scan: a directory that fails to read ends its
    // loop rather than throwing out of the run.
    std::error_code error;
    for (fs::directory_iterator process("/proc", error), end; !error && process != end; process.increment(error)) {
        const std::string pid = process->path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code unreadable;  // another user's process, or one that has ended: skipped
        for (fs::directory_iterator file(process->path() / "fd", unreadable); !unreadable && file != end;
             file.increment(unreadable)) {
            char target[64];
            const ssize_t length = ::readlink(file->path().c_str(), target, sizeof target);
            if (length <= 0 || std::string_view(target, static_cast<std::size_t>(length)) != wanted) continue;
            std::string name = proc_text(process->path() / "comm", 64);
            std::erase_if(name, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
            if (name.empty()) name = "a program";
            std::error_code unknown;
            const fs::path program = fs::read_symlink(process->path() / "exe", unknown);
            std::error_code unknown_self;
            const bool same = !unknown && program == fs::read_symlink("/proc/self/exe", unknown_self) && !unknown_self;
            return PortHolder{name + " (process " + pid + ")", same};
        }
    }
    return std::nullopt;
}

}  // namespace voq::platform
