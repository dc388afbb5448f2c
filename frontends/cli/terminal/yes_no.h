#pragma once

#include <string_view>

namespace voq::cli {

// The one rule for a typed y/N answer: y or yes in any letter case, white space
// around it ignored; anything else, an empty line included, is no.
bool is_yes(std::string_view answer);

}  // namespace voq::cli
