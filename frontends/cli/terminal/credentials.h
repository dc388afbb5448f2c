#pragma once

#include <string>
#include <string_view>

namespace voq::cli {

// The first line of a password file, without its line end.
std::string first_line(std::string_view contents);

}  // namespace voq::cli
