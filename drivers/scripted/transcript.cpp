#include "drivers/scripted/transcript.h"

namespace voq::ui::scripted {

std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default: {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte >= 0x7f) {
                static constexpr char digits[] = "0123456789abcdef";
                out += "\\x";
                out += digits[byte >> 4];
                out += digits[byte & 15];
            } else {
                out += c;
            }
        }
        }
    }
    out += '"';
    return out;
}

void Transcript::line(std::string_view text)
{
    const std::lock_guard<std::mutex> hold(mutex_);
    if (every_block_) return write(text);
    for (const std::string& each : fold_.take(text)) write(each);
}

void Transcript::write(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

}  // namespace voq::ui::scripted
