#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "bench/quiet_screens.h"
#include "firmware/image.h"
#include "platform/socket.h"
#include "session/session.h"
#include "tftp/packet.h"
#include "tftp/transfer.h"

namespace voq::bench {

// The tool's own TFTP server with a front-end that costs nothing, kept for many
// deliveries on one socket as the listener keeps it between the two of staged mode.
struct ToolServer {
    session::Session session{1};
    QuietScreens screens;
    platform::Socket socket;
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    std::array<std::uint8_t, tftp::packet_buffer_size> receive_buffer{};
};

// Binds the server at address:port for read requests naming file_name; null when the
// port cannot be had.
std::unique_ptr<ToolServer> open_tool_server(std::uint32_t address, std::uint16_t port, std::string_view file_name);

// One delivery as the listener makes it: the waiting screen until the read request,
// then the transfer session for image. The restart wait and the device's check that
// follow in the product are not part of what is timed.
tftp::Outcome serve_one_delivery(ToolServer& server, const fw::FirmwareImage& image);

}  // namespace voq::bench
