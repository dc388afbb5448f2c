#pragma once

#include <string_view>

namespace voq::ui {

// The title of every failure report.
inline constexpr std::string_view error_title = "VOQ Firwmare Upgrade Error";

}  // namespace voq::ui
