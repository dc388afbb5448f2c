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

std::optional<std::string> udp_port_holder(std::uint32_t address, std::uint16_t port)
{
    const auto inode = udp_socket_inode(proc_text("/proc/net/udp", 4u << 20), address, port);
    if (!inode) return std::nullopt;
    const std::string wanted = "socket:[" + std::to_string(*inode) + "]";
    std::error_code error;
    for (const auto& process : std::filesystem::directory_iterator("/proc", error)) {
        const std::string pid = process.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code unreadable;  // another user's process: skipped
        for (const auto& file : std::filesystem::directory_iterator(process.path() / "fd", unreadable)) {
            char target[64];
            const ssize_t length = ::readlink(file.path().c_str(), target, sizeof target);
            if (length <= 0 || std::string_view(target, static_cast<std::size_t>(length)) != wanted) continue;
            std::string name = proc_text(process.path() / "comm", 64);
            std::erase_if(name, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
            if (name.empty()) name = "a program";
            return name + " (process " + pid + ")";
        }
    }
    return std::nullopt;
}

}  // namespace voq::platform
