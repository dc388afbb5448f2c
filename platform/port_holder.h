#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace voq::platform {

// The socket that holds UDP port on address (or on every address), as Linux lists
// its UDP sockets in /proc/net/udp (or /proc/net/udp6, where a dual-stack socket on
// [::] or on an IPv4-mapped address holds the IPv4 port too): its inode, which names it among a process's open
// files. Nothing when no line of the table holds it.
std::optional<unsigned long> udp_socket_inode(std::string_view proc_net_udp, std::uint32_t address, std::uint16_t port);

struct PortHolder {
    std::string name;   // as "name (process N)"
    bool this_program;  // another run of this very program, as in a fleet
};

// The program that holds UDP port on address (or on every address); nothing when this
// PC does not tell (another user's process, without the right to look at it).
std::optional<PortHolder> udp_port_holder(std::uint32_t address, std::uint16_t port);

}  // namespace voq::platform
