#include "frontends/cli/progress_line.h"

#include <charconv>
#include <cstdio>

#include "tftp/completion.h"
#include "ui/texts.h"

namespace voq::cli {

namespace {

constexpr std::string_view bytes_suffix = " Bytes";

std::optional<std::uint64_t> number_at(std::string_view text)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::string seconds(std::uint32_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u s", static_cast<unsigned>((ms + 500) / 1000));
    return text;
}

// The caption without its byte counts: "Uploading Target Firmware to VOQ@10.1.0.13".
std::string_view caption_head(std::string_view caption)
{
    if (!caption.ends_with(bytes_suffix)) return caption;
    const std::size_t space = caption.substr(0, caption.size() - bytes_suffix.size()).rfind(' ');
    return space == std::string_view::npos ? caption : caption.substr(0, space);
}

}  // namespace

std::optional<ByteCount> uploaded_bytes(std::string_view caption)
{
    if (!caption.starts_with("Uploading ") || !caption.ends_with(bytes_suffix)) return std::nullopt;
    const std::string_view counts = caption.substr(caption_head(caption).size() + 1,
                                                   caption.size() - caption_head(caption).size() - 1 - bytes_suffix.size());
    const std::size_t slash = counts.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const auto done = number_at(counts.substr(0, slash));
    const auto total = number_at(counts.substr(slash + 1));
    if (!done || !total || *done > *total) return std::nullopt;
    return ByteCount{*done, *total};
}

std::string connecting_line(std::string_view caption, std::uint32_t elapsed_ms)
{
    return std::string(caption) + ", " + seconds(elapsed_ms);
}

std::string waiting_line(std::uint32_t elapsed_ms, std::uint32_t timeout_ms)
{
    std::string line = std::string(ui::text::waiting_caption) + ", " + seconds(elapsed_ms);
    if (timeout_ms > 0) line += " of " + seconds(timeout_ms);
    return line;
}

std::string uploading_line(std::string_view caption, ByteCount count, std::uint32_t elapsed_ms)
{
    const double percent = count.total == 0 ? 0.0 : 100.0 * static_cast<double>(count.done) / static_cast<double>(count.total);
    const double rate_kb = elapsed_ms == 0 ? 0.0 : static_cast<double>(count.done) / static_cast<double>(elapsed_ms);
    char text[128];
    std::snprintf(text, sizeof text, ": %llu of %llu bytes, %3.0f%%, %.0f kB/s",
                  static_cast<unsigned long long>(count.done), static_cast<unsigned long long>(count.total), percent,
                  rate_kb);
    return std::string(caption_head(caption)) + text;
}

std::string restart_line(std::string_view caption, int units_passed, int units_total)
{
    const int left = units_total > units_passed ? units_total - units_passed : 0;
    return std::string(caption) + ": waiting for the restart, " +
           seconds(static_cast<std::uint32_t>(left) * tftp::restart_wait_unit_ms) + " left";
}

}  // namespace voq::cli

namespace voq::cli {

std::string transfer_summary_line(std::string_view caption, ByteCount count, std::uint32_t elapsed_ms)
{
    char text[160];
    if (count.done < count.total) {
        std::snprintf(text, sizeof text, ": transfer stopped at %llu of %llu bytes after %.1f s",
                      static_cast<unsigned long long>(count.done), static_cast<unsigned long long>(count.total),
                      elapsed_ms / 1000.0);
    } else {
        const double rate_kb = elapsed_ms == 0 ? 0.0 : static_cast<double>(count.done) / static_cast<double>(elapsed_ms);
        std::snprintf(text, sizeof text, ": %llu bytes in %.1f s, %.0f kB/s", static_cast<unsigned long long>(count.done),
                      elapsed_ms / 1000.0, rate_kb);
    }
    return std::string(caption_head(caption)) + text;
}

}  // namespace voq::cli
