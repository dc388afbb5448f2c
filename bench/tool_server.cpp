#include "bench/tool_server.h"

#include "platform/socket_address.h"
#include "tftp/listener.h"
#include "ui/progress_screen.h"
#include "ui/views.h"

namespace voq::bench {

std::unique_ptr<ToolServer> open_tool_server(std::uint32_t address, std::uint16_t port, std::string_view file_name)
{
    auto server = std::make_unique<ToolServer>();
    server->session.screens = &server->screens;
    server->session.display_name = "VOQ-3300";
    server->session.expected_file_name.assign(file_name);
    server->socket = platform::Socket(platform::open_datagram_socket());
    if (!server->socket.valid() ||
        platform::bind_socket(server->socket.handle(), platform::fill_socket_address(address, port)) !=
            platform::BindResult::bound)
        return nullptr;
    server->address = address;
    server->port = port;
    return server;
}

tftp::Outcome serve_one_delivery(ToolServer& server, const fw::FirmwareImage& image)
{
    session::Session& session = server.session;
    session.target_image = image;
    const tftp::AcceptedRequest request =
        tftp::wait_for_read_request(session, server.socket.handle(), server.receive_buffer, true);

    tftp::TransferSession transfer;
    transfer.socket = server.socket.handle();
    transfer.local_address = server.address;
    transfer.local_port = server.port;
    transfer.peer = request.peer;
    transfer.requested_file_name.assign(request.file_name);
    tftp::start_transfer_session(transfer, image);
    ui::ProgressScreen uploading(session, ui::uploading_view(static_cast<int>(transfer.block_count)));
    platform::set_non_blocking(server.socket.handle());
    return tftp::transfer_image(session, transfer, image, uploading);
}

}  // namespace voq::bench
