#include "web/exchange.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "session/trace.h"
#include "platform/socket.h"
#include "web/digest.h"
#include "web/response.h"
#include "platform/socket_address.h"

namespace voq::web {

namespace {

bool bind_from_base(platform::SocketHandle socket, std::uint32_t local_address, std::uint16_t base)
{
    for (int attempt = 0; attempt < local_port_attempts; ++attempt) {
        const auto port = static_cast<std::uint16_t>(base + attempt);
        if (platform::bind_socket(socket, platform::fill_socket_address(local_address, port)) == platform::BindResult::bound)
            return true;
    }
    const std::string reason = platform::socket_error_text(platform::last_socket_error());
    trace("HTTP bind %x:%u-%u failed: %s\n", local_address, base, base + local_port_attempts - 1, reason.c_str());
    return false;
}

int receive_answer(platform::SocketHandle socket, char* buffer, int size)
{
    int received = 0;
    while (received < size) {
        const long count = platform::receive_bytes(socket, buffer + received, static_cast<std::size_t>(size - received));
        if (count <= 0) break;
        received += static_cast<int>(count);
        buffer[received] = '\0';
    }
    return received;
}

}  // namespace

std::size_t build_request(const ExchangeArguments& arguments, session::AuthState& auth)
{
    std::string request = "GET ";
    request.append(arguments.path).append(" HTTP/1.1\r\n");
    const std::uint32_t device = arguments.device_address;
    char host[40];
    std::snprintf(host, sizeof host, "Host: %u.%u.%u.%u\r\n", device >> 24, (device >> 16) & 255, (device >> 8) & 255,
                  device & 255);
    request.append(host);
    if (!auth.password.empty()) {
        ++auth.nonce_count;
        auth.digest_uri.assign(arguments.path);
        request.append(authorization_line(auth));
    }
    request.append("\r\n");

    const std::size_t length = std::min(request.size(), static_cast<std::size_t>(std::max(arguments.size, 0)));
    std::memcpy(arguments.buffer, request.data(), length);
    arguments.buffer[length] = '\0';
    return length;
}

ExchangeResult http_exchange(const ExchangeArguments& arguments, ClientState state)
{
    platform::Socket socket(platform::open_stream_socket());
    if (!socket.valid()) return {0, ExchangeFault::cannot_open_socket};
    if (!bind_from_base(socket.handle(), arguments.local_address, arguments.local_port_base))
        return {0, ExchangeFault::cannot_bind_socket};
    if (!platform::connect_socket(socket.handle(), platform::fill_socket_address(arguments.device_address, arguments.device_port))) {
        const std::string reason = platform::socket_error_text(platform::last_socket_error());
        trace("HTTP connect to %x:%u failed: %s\n", arguments.device_address, arguments.device_port, reason.c_str());
        return {0, ExchangeFault::none};
    }

    const std::size_t request_length = build_request(arguments, state.auth);
    trace_text(std::string_view(arguments.buffer, request_length));
    // One send; a failed one shows up as an empty or failed receive.
    platform::send_bytes(socket.handle(), arguments.buffer, request_length);

    const int received = receive_answer(socket.handle(), arguments.buffer, arguments.size);
    trace("recv done\n");
    trace_text(std::string_view(arguments.buffer, static_cast<std::size_t>(received)));
    trace("\n");
    if (received == 0) return {0, ExchangeFault::none};

    // An answer holding a NUL byte is read as text up to it.
    std::string_view answer(arguments.buffer, static_cast<std::size_t>(received));
    answer = answer.substr(0, answer.find('\0'));
    if (classify_response(answer, state.auth, state.random) == ResponseStatus::challenge)
        return {-1, ExchangeFault::none};
    extract_device_info(answer, state.device_info);
    return {received, ExchangeFault::none};
}

}  // namespace voq::web
