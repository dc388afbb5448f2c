#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace voq {

// A text kept in a field of Size bytes, terminator included, as the device and the
// screens exchange them: at most Size - 1 characters. A longer text is cut, never
// allowed to run past the field.
template <std::size_t Size>
struct FixedText {
    static_assert(Size >= 1);
    static constexpr std::size_t capacity = Size - 1;

    std::array<char, Size> bytes{};

    void assign(std::string_view text)
    {
        const std::size_t length = std::min(text.size(), capacity);
        std::copy_n(text.data(), length, bytes.data());
        bytes[length] = '\0';
    }

    void clear() { bytes[0] = '\0'; }

    // The text up to its first NUL; the field always holds one, but the view is bounded
    // by the field all the same.
    std::string_view view() const
    {
        const void* nul = std::memchr(bytes.data(), '\0', Size);
        const std::size_t length =
            nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data()) : capacity;
        return {bytes.data(), length};
    }

    const char* c_str() const { return bytes.data(); }
    bool empty() const { return bytes[0] == '\0'; }

    friend bool operator==(const FixedText& text, std::string_view other) { return text.view() == other; }
};

}  // namespace voq
