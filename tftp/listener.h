#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/socket.h"
#include "platform/socket_address.h"
#include "record/facts.h"
#include "session/session.h"

namespace voq::tftp {

inline constexpr std::uint16_t first_listener_port = record::first_listener_port;
inline constexpr int listener_port_attempts = 100;  // 69 to 168
// Where the search goes on when those ports are kept for privileged programs and this
// one has no privilege (an ordinary user on Linux, without the capability that the
// package grants): the same hundred ports, ten thousand up, clear of the range the
// system hands out for outgoing connections. The device fetches from whatever port
// its upgrade request names.
inline constexpr std::uint16_t first_unprivileged_listener_port = record::first_unprivileged_listener_port;  // to 10168
inline constexpr int activity_steps = 1000;

// What a datagram is to the waiting listener: a read request naming the expected
// file (leading "/" and letter case included), one to ignore, or silence (too short
// to say, or a name that runs past the datagram). Mode and options are never read.
enum class Request { silence, ignored, accepted };

Request judge_request(std::span<const std::uint8_t> datagram, std::string_view expected_file_name,
                      std::string& accepted_name);

struct AcceptedRequest {
    platform::Endpoint peer;  // the device's end of the transfer
    std::string file_name;
};

// Behind the waiting screen, without a time limit (the user's way out is its Cancel):
// the read request naming the expected file name, on a socket already bound.
AcceptedRequest wait_for_read_request(session::Session& session, platform::SocketHandle socket,
                                      std::span<std::uint8_t> receive_buffer, bool with_waiting_text);

// The port to serve from: the first of 69 to 168 that binds; when none does and the
// system refused one of them for lack of privilege, the first of 10069 to 10168.
// Nothing when neither range gives a port (ports in use alone never lead past 168).
std::optional<std::uint16_t> search_listener_port(const std::function<platform::BindResult(std::uint16_t)>& bind_port);

// Binds a UDP socket on local_address at the port the search gives and starts the
// listener's thread, which waits behind the waiting screen for the read request
// naming the expected file name, serves it, and ends the process after the last
// delivery. Returns the port; every failure to start ends the process here.
std::uint16_t start_listener(session::Session& session, std::uint32_t local_address);

}  // namespace voq::tftp
