#include "web/exchange.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/socket.h"
#include "platform/socket_address.h"
#include "session/trace.h"
#include "web/digest.h"
#include "web/response.h"

namespace voq::web {

namespace {

std::optional<record::CallFailedFact> refusal(record::Call call, std::uint32_t address, std::uint16_t first_port,
                                              std::uint16_t last_port)
{
    const int error = platform::last_socket_error();
    return record::CallFailedFact{call, address, first_port, last_port, error, platform::socket_error_text(error)};
}

std::optional<record::CallFailedFact> bind_from_base(platform::SocketHandle socket, std::uint32_t local_address,
                                                     std::uint16_t base)
{
    for (int attempt = 0; attempt < local_port_attempts; ++attempt) {
        const auto port = static_cast<std::uint16_t>(base + attempt);
        if (platform::bind_socket(socket, platform::fill_socket_address(local_address, port)) ==
            platform::BindResult::bound)
            return std::nullopt;
    }
    const auto last = static_cast<std::uint16_t>(base + local_port_attempts - 1);
    auto refused = refusal(record::Call::http_bind, local_address, base, last);
    trace("HTTP bind %x:%u-%u failed: %s\n", local_address, base, base + local_port_attempts - 1,
          refused->reason.c_str());
    return refused;
}

int receive_answer(platform::SocketHandle socket, char* buffer, int size, bool& failed)
{
    int received = 0;
    while (received < size) {
        const long count =
            platform::receive_bytes(socket, buffer + received, static_cast<std::size_t>(size - received));
        failed = count < 0;
        if (count <= 0) break;
        received += static_cast<int>(count);
        buffer[received] = '\0';
    }
    return received;
}

std::string first_line(std::string_view answer)
{
    constexpr std::size_t longest = 200;
    return std::string(answer.substr(0, std::min({answer.find('\r'), answer.find('\n'), longest})));
}

// The request as sent, but for its credentials: the Digest response stands for the
// password and is the device's alone, so no trace ever holds it.
void trace_request(std::string_view request)
{
    constexpr std::string_view credentials = "\r\nAuthorization:";
    const std::size_t line = request.find(credentials);
    if (line == std::string_view::npos) {
        trace_text(request);
        return;
    }
    const std::size_t line_end = request.find("\r\n", line + credentials.size());
    trace_text(request.substr(0, line + 2));
    trace_text("Authorization: (hidden)");
    if (line_end != std::string_view::npos) trace_text(request.substr(line_end));
}

}  // namespace

std::string request_line(std::string_view path) { return "GET " + std::string(path) + " HTTP/1.1"; }

std::size_t build_request(const ExchangeArguments& arguments, session::AuthState& auth)
{
    std::string request = request_line(arguments.path) + "\r\n";
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
    if (auto refused = bind_from_base(socket.handle(), arguments.local_address, arguments.local_port_base))
        return {0, ExchangeFault::cannot_bind_socket, {}, std::move(refused)};
    const std::uint32_t device = arguments.device_address;
    const std::uint16_t port = arguments.device_port;
    if (!platform::connect_socket(socket.handle(), platform::fill_socket_address(device, port))) {
        auto refused = refusal(record::Call::http_connect, device, port, port);
        trace("HTTP connect to %x:%u failed: %s\n", device, port, refused->reason.c_str());
        return {0, ExchangeFault::none, {}, std::move(refused)};
    }

    const std::size_t request_length = build_request(arguments, state.auth);
    trace_request(std::string_view(arguments.buffer, request_length));
    // One send; a failed one shows up as an empty or failed receive.
    std::optional<record::CallFailedFact> refused;
    if (platform::send_bytes(socket.handle(), arguments.buffer, request_length) < 0)
        refused = refusal(record::Call::http_send, device, port, port);

    bool receive_failed = false;
    const int received = receive_answer(socket.handle(), arguments.buffer, arguments.size, receive_failed);
    if (receive_failed && !refused) refused = refusal(record::Call::http_receive, device, port, port);
    trace("recv done\n");
    trace_text(std::string_view(arguments.buffer, static_cast<std::size_t>(received)));
    trace("\n");
    if (received == 0) return {0, ExchangeFault::none, {}, std::move(refused)};

    // An answer holding a NUL byte is read as text up to it.
    std::string_view answer(arguments.buffer, static_cast<std::size_t>(received));
    answer = answer.substr(0, answer.find('\0'));
    std::string status = first_line(answer);
    if (classify_response(answer, state.auth, state.random) == ResponseStatus::challenge)
        return {-1, ExchangeFault::none, std::move(status), std::move(refused), static_cast<std::uint32_t>(received)};
    extract_device_info(answer, state.device_info);
    return {received, ExchangeFault::none, std::move(status), std::move(refused), static_cast<std::uint32_t>(received)};
}

}  // namespace voq::web
