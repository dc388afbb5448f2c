#pragma once

#include <string_view>

#include "firmware/image.h"

namespace voq::fw {

struct ProductProfile {
    std::string_view tag;           // compared, in any letter case, with the header's start
    std::string_view display_name;  // "%s Firmware Upgrade"
    int phone_style;                // 1: telephone address screen, no final version check
};

// The profile of the first table row whose tag begins the header, or the default.
const ProductProfile& identify_product(const Header& header);

}  // namespace voq::fw
