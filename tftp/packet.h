#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace voq::tftp {

// RFC 1350 opcodes, and RFC 2347's option acknowledgement.
enum Opcode : std::uint16_t {
    read_request = 1,
    write_request = 2,
    data = 3,
    acknowledgement = 4,
    error = 5,
    option_acknowledgement = 6,
};

inline constexpr std::size_t block_size = 512;
inline constexpr std::size_t packet_buffer_size = 1024;
inline constexpr std::size_t data_header_size = 4;

void put_u16(std::uint8_t* at, std::uint16_t value);
std::uint16_t get_u16(const std::uint8_t* at);

// The opcode of a datagram; nothing for one too short to carry one.
std::optional<std::uint16_t> opcode_of(std::span<const std::uint8_t> datagram);

// The file name of a read request: the text from byte 2 to its NUL, which must stand
// inside the datagram. The mode and options after it are never looked at.
std::optional<std::string_view> requested_file_name(std::span<const std::uint8_t> datagram);

// The block number of an acknowledgement; nothing for any other datagram, and for
// one shorter than the four bytes an acknowledgement takes.
std::optional<std::uint16_t> acknowledged_block(std::span<const std::uint8_t> datagram);

// Always both options, in this order, whatever the request asked for: "tsize" with
// the image size and "timeout" with the fixed text "5". Returns the length.
std::size_t build_option_acknowledgement(std::span<std::uint8_t, packet_buffer_size> buffer, std::uint32_t image_size);

// Block number (its low 16 bits) and 0 to 512 payload bytes. Returns the length.
std::size_t build_data(std::span<std::uint8_t, packet_buffer_size> buffer, std::uint32_t block,
                       std::span<const std::uint8_t> payload);

}  // namespace voq::tftp
