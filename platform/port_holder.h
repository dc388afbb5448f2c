#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace voq::platform {

// The socket that holds UDP port on address (or on every address), as Linux lists
// its UDP sockets in /proc/net/udp: its inode, which names it among a process's open
// files. Nothing when no line of the table holds it.
std::optional<unsigned long> udp_socket_inode(std::string_view proc_net_udp, std::uint32_t address, std::uint16_t port);

// The program that holds UDP port on address (or on every address), as "name (process
// N)"; nothing when this PC does not tell (another user's process, without the right
// to look at it).
std::optional<std::string> udp_port_holder(std::uint32_t address, std::uint16_t port);

}  // namespace voq::platform
