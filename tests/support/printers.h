#pragma once

#include <ostream>

#include "session/fixed_text.h"

namespace voq {

// So that a failed comparison shows the text, not the field's bytes.
template <std::size_t Size>
void PrintTo(const FixedText<Size>& text, std::ostream* out)
{
    *out << '"' << text.view() << '"';
}

}  // namespace voq
