#include "tftp/packet.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace voq::tftp {

void put_u16(std::uint8_t* at, std::uint16_t value)
{
    at[0] = static_cast<std::uint8_t>(value >> 8);
    at[1] = static_cast<std::uint8_t>(value & 0xff);
}

std::uint16_t get_u16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] << 8 | at[1]); }

std::optional<std::uint16_t> opcode_of(std::span<const std::uint8_t> datagram)
{
    if (datagram.size() < 2) return std::nullopt;
    return get_u16(datagram.data());
}

std::optional<std::string_view> requested_file_name(std::span<const std::uint8_t> datagram)
{
    if (opcode_of(datagram) != read_request) return std::nullopt;
    const auto name = datagram.subspan(2);
    const auto nul = std::find(name.begin(), name.end(), std::uint8_t{0});
    if (nul == name.end()) return std::nullopt;
    return std::string_view(reinterpret_cast<const char*>(name.data()), static_cast<std::size_t>(nul - name.begin()));
}

std::optional<std::uint16_t> acknowledged_block(std::span<const std::uint8_t> datagram)
{
    if (datagram.size() < 4 || opcode_of(datagram) != acknowledgement) return std::nullopt;
    return get_u16(datagram.data() + 2);
}

std::size_t build_option_acknowledgement(std::span<std::uint8_t, packet_buffer_size> buffer, std::uint32_t image_size)
{
    char size_text[16];
    const int digits = std::snprintf(size_text, sizeof size_text, "%u", image_size);
    std::uint8_t* at = buffer.data();
    put_u16(at, option_acknowledgement);
    at += 2;
    const auto put_text = [&at](const char* text, std::size_t length) {
        std::memcpy(at, text, length);
        at += length;
        *at++ = 0;
    };
    put_text("tsize", 5);
    put_text(size_text, static_cast<std::size_t>(digits));
    put_text("timeout", 7);
    put_text("5", 1);
    return static_cast<std::size_t>(at - buffer.data());
}

std::size_t build_data(std::span<std::uint8_t, packet_buffer_size> buffer, std::uint32_t block,
                       std::span<const std::uint8_t> payload)
{
    const std::size_t length = std::min(payload.size(), block_size);
    put_u16(buffer.data(), data);
    put_u16(buffer.data() + 2, static_cast<std::uint16_t>(block & 0xffff));
    if (length > 0) std::memcpy(buffer.data() + data_header_size, payload.data(), length);
    return length + data_header_size;
}

}  // namespace voq::tftp
