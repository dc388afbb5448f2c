#pragma once

#include <mutex>
#include <string_view>

#include "session/fixed_text.h"

namespace voq::session {

// A text that one thread rewrites while another may read it: the expected file name,
// replaced by the wizard before the second delivery while the TFTP listener compares
// every read request with it. Readers get a copy, never a half-written field.
template <std::size_t Size>
class SharedText {
public:
    void assign(std::string_view text)
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        text_.assign(text);
    }

    FixedText<Size> get() const
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        return text_;
    }

private:
    mutable std::mutex mutex_;
    FixedText<Size> text_;
};

}  // namespace voq::session
