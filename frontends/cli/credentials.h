#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace voq::cli {

// A user name or password as typed (UTF-8 on Linux), as the bytes the desktop program
// would send: Latin-1. Text that is not UTF-8 is taken as bytes already; nothing when
// it holds a character beyond Latin-1, which the device could only be sent changed.
std::optional<std::string> latin1_credential(std::string_view typed);

// The first line of a password file, without its line end.
std::string first_line(std::string_view contents);

}  // namespace voq::cli
