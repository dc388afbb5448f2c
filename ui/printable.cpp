#include "ui/printable.h"

namespace voq::ui {

std::string printable(std::string_view text)
{
    std::string kept;
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) kept += c;
    return kept;
}

}  // namespace voq::ui
