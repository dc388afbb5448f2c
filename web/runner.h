#pragma once

#include <cstdint>
#include <string_view>

#include "session/session.h"
#include "web/exchange.h"

namespace voq::web {

inline constexpr std::uint16_t first_local_port = 23456;
inline constexpr std::uint16_t device_web_port = 80;

// What every caller asks: the device's port 80 from local port 23456 up, into the
// Session's response buffer.
ExchangeArguments device_request(session::Session& session, std::uint32_t local_address, std::uint32_t device_address,
                                 std::string_view path, record::RequestKind kind = record::RequestKind::status_page);

// One request to the device, on a worker thread behind the connecting screen. A
// Digest challenge is answered with the password screen, or, when only the nonce
// went stale, by one automatic re-send. Returns the byte count of the answer, or 0
// when nothing came; Cancel on either screen ends the process instead. Calls from
// different threads take turns. An attempt that gets no answer keeps the connecting
// screen up until unanswered_hold_ms have passed since it began, for callers that
// try again and must not try faster than that.
int run_request(session::Session& session, const ExchangeArguments& arguments, std::uint32_t unanswered_hold_ms = 0);

}  // namespace voq::web
