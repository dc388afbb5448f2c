#include "app/address_screen.h"

#include <cstdio>
#include <string>

#include "app/device_address.h"
#include "platform/route.h"

namespace voq::app {

namespace {

// The field is read with a limit of 63 bytes, terminator included.
constexpr std::size_t typed_length = 62;

std::uint32_t chosen_local_address(const session::Session& session, int selection)
{
    if (selection >= 0 && static_cast<std::size_t>(selection) < session.local_addresses.size() &&
        session.local_addresses[static_cast<std::size_t>(selection)] != 0)
        return session.local_addresses[static_cast<std::size_t>(selection)];
    // No address to choose from: the one the system would reach the device through,
    // which is what the device can reach back.
    return platform::source_address_towards(session.device_address);
}

}  // namespace

std::string expected_file_name(session::Session& session, int stage_digit)
{
    char name[32];
    std::snprintf(name, sizeof name, "/voq%x.bi%d", static_cast<unsigned>(next_random(session.random)), stage_digit);
    return name;
}

bool accept_typed_address(session::Session& session, std::string_view typed, int selection)
{
    session.device_address_text.assign(typed.substr(0, typed_length));
    parse_device_address(session.device_address_text.view(), &session.device_address);
    if (session.device_address == 0) return false;
    session.expected_file_name.assign(expected_file_name(session, session.stage_flag.load()));
    session.selected_local_address = chosen_local_address(session, selection);
    return true;
}

}  // namespace voq::app
