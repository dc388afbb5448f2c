#pragma once

#include <string>
#include <string_view>

namespace voq::ui {

// Texts from the device are shown, not obeyed: control characters go.
std::string printable(std::string_view text);

}  // namespace voq::ui
