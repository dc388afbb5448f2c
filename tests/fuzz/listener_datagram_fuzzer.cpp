// The waiting listener's view of any datagram.

#include <cstdint>
#include <span>
#include <string>

#include "tftp/listener.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string accepted;
    const auto request = voq::tftp::judge_request(std::span(data, size), "/voq4d2.bi1", accepted);
    if (request == voq::tftp::Request::accepted && accepted != "/voq4d2.bi1") __builtin_trap();
    return 0;
}
