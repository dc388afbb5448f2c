#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "record/facts.h"
#include "session/auth_state.h"
#include "session/device_info.h"
#include "session/random_source.h"

namespace voq::web {

struct ExchangeArguments {
    std::uint32_t local_address;  // host order; 0 binds to any local address
    std::uint16_t local_port_base;
    std::uint32_t device_address;
    std::uint16_t device_port;
    std::string_view path;
    char* buffer;  // holds size + 1 bytes: first the request, then the answer and a NUL
    int size;
    record::RequestKind kind = record::RequestKind::status_page;
};

// What the exchange works on besides its arguments.
struct ClientState {
    session::DeviceInfo& device_info;
    session::AuthState& auth;
    session::RandomSource& random;
};

// The two failures after which nothing can be sent at all.
enum class ExchangeFault { none, cannot_open_socket, cannot_bind_socket };

struct ExchangeResult {
    // -1: a usable Digest challenge, now in the Auth state; 0: nothing received;
    // n > 0: n bytes of answer in the buffer, the Device info refreshed from them.
    int value;
    ExchangeFault fault;
    std::string status_line{};                        // the answer's first line, empty without an answer
    std::optional<record::CallFailedFact> refused{};  // the call the system refused, and why
    std::uint32_t received = 0;                       // bytes of answer, a challenge's too
};

// Local ports tried for the connection, from the base up.
inline constexpr int local_port_attempts = 101;

// One GET on a fresh connection, read until the device closes it or the buffer is full.
ExchangeResult http_exchange(const ExchangeArguments& arguments, ClientState state);

// "GET /admin/advanced HTTP/1.1"
std::string request_line(std::string_view path);

// The request text into buffer (at most size bytes and a NUL); signs it when the Auth
// state holds a password, counting it under the current nonce. Returns its length.
std::size_t build_request(const ExchangeArguments& arguments, session::AuthState& auth);

}  // namespace voq::web
