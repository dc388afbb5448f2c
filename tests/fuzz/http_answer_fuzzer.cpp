// Everything done with a received HTTP answer: its classification (and the Digest
// challenge in a 401), the Device info taken from it, and the next signed request.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "session/session.h"
#include "web/exchange.h"
#include "web/response.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static auto session = std::make_unique<voq::session::Session>(1);
    session->auth = voq::session::AuthState{};
    session->auth.user_name.assign("admin");
    session->auth.password.assign("secret");
    // As the exchange sees it: at most 131,071 bytes, read as text up to a NUL.
    const std::size_t kept = std::min<std::size_t>(size, voq::session::response_size_limit);
    std::memcpy(session->response.data(), data, kept);
    session->response[kept] = '\0';
    std::string_view answer(session->response.data(), kept);
    answer = answer.substr(0, answer.find('\0'));

    voq::web::classify_response(answer, session->auth, session->random);
    voq::web::extract_device_info(answer, session->device_info);
    const voq::web::ExchangeArguments next{
        0, 23456, 0x0a000002, 80, "/admin/advanced", session->response.data(), voq::session::response_size_limit};
    const std::size_t length = voq::web::build_request(next, session->auth);
    if (length > static_cast<std::size_t>(voq::session::response_size_limit) || session->response[length] != '\0')
        __builtin_trap();
    return 0;
}
