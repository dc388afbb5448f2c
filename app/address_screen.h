#pragma once

#include <string_view>

#include "session/session.h"

namespace voq::app {

// OK on the address screen with the typed text and the local address list's
// selection (-1 for none). Keeps the text for the screens' titles and, when it names
// a usable device, stores the device address, the expected file name and the PC
// address to use; false (the device address left 0) refuses it.
bool accept_typed_address(session::Session& session, std::string_view typed, int selection);

// "/voq%x.bi%d": a fresh random number, and the stage digit.
std::string expected_file_name(session::Session& session, int stage_digit);

}  // namespace voq::app
