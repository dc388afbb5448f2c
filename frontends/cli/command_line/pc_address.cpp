#include "frontends/cli/command_line/pc_address.h"

#include "platform/socket.h"
#include "platform/socket_address.h"
#include "ui/views.h"

namespace voq::cli {

std::string local_address_problem(std::uint32_t address)
{
    platform::Socket probe(platform::open_datagram_socket());
    if (platform::bind_socket(probe.handle(), platform::fill_socket_address(address, 0)) == platform::BindResult::bound)
        return "";
    return "--local-address " + ui::dotted(address) + ": " + platform::socket_error_text(platform::last_socket_error());
}

}  // namespace voq::cli
