#include "firmware/product.h"

#include <array>

namespace voq::fw {

namespace {

// Searched in this order; "quorix" is compared over its own six letters only.
constexpr std::array<ProductProfile, 5> product_table{{
    {"voq4500", "VOQ-4500", 0},
    {"voq3300", "VOQ-3100/3300", 0},
    {"voq3101", "VOQ-3101", 0},
    {"quorix", "VOQ-618", 1},
    {"voq5200", "VOQ-5200", 1},
}};

constexpr ProductProfile default_profile{"", "ODM-Product", 0};

char lower_ascii(std::uint8_t c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); }

bool begins_with_tag(const Header& header, std::string_view tag)
{
    for (std::size_t i = 0; i < tag.size(); ++i) {
        if (lower_ascii(header[i]) != tag[i]) return false;
    }
    return true;
}

}  // namespace

const ProductProfile& identify_product(const Header& header)
{
    for (const ProductProfile& profile : product_table) {
        if (begins_with_tag(header, profile.tag)) return profile;
    }
    return default_profile;
}

}  // namespace voq::fw
