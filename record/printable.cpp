#include "record/printable.h"

#include <cstdio>

namespace voq::record {

std::string printable(std::string_view text)
{
    std::string kept;
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) kept += c;
    return kept;
}

std::string dotted(std::uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, (address >> 16) & 255, (address >> 8) & 255,
                  address & 255);
    return text;
}

}  // namespace voq::record
