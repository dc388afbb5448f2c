#include "frontends/cli/terminal/progress_line.h"

#include <charconv>
#include <cstdio>

#include "tftp/completion.h"
#include "ui/texts.h"

namespace voq::cli {

namespace {

std::string seconds(std::uint32_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u s", static_cast<unsigned>((ms + 500) / 1000));
    return text;
}

std::string_view role(bool transition_image)
{
    return transition_image ? ui::text::transition_role : ui::text::target_role;
}

}  // namespace

std::string uploading_head(bool transition_image, std::string_view device)
{
    return "Uploading " + std::string(role(transition_image)) + " Firmware to VOQ@" + std::string(device);
}

std::string updating_head(bool transition_image, std::string_view device)
{
    return "Updating " + std::string(role(transition_image)) + " Firmware to VOQ@" + std::string(device);
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

std::string uploading_line(std::string_view head, ByteCount count, std::uint32_t elapsed_ms)
{
    const double percent =
        count.total == 0 ? 0.0 : 100.0 * static_cast<double>(count.done) / static_cast<double>(count.total);
    const double rate_kb = elapsed_ms == 0 ? 0.0 : static_cast<double>(count.done) / static_cast<double>(elapsed_ms);
    char text[128];
    std::snprintf(text, sizeof text, ": %llu of %llu bytes, %3.0f%%, %.0f kB/s",
                  static_cast<unsigned long long>(count.done), static_cast<unsigned long long>(count.total), percent,
                  rate_kb);
    return std::string(head) + text;
}

std::string restart_line(std::string_view head, int units_passed, int units_total)
{
    const int left = units_total > units_passed ? units_total - units_passed : 0;
    return std::string(head) + ": waiting for the restart, " +
           seconds(static_cast<std::uint32_t>(left) * tftp::restart_wait_unit_ms) + " left";
}

std::string transfer_summary_line(std::string_view head, ByteCount count, std::uint32_t elapsed_ms)
{
    char text[160];
    if (count.done < count.total) {
        std::snprintf(text, sizeof text, ": transfer stopped at %llu of %llu bytes after %.1f s",
                      static_cast<unsigned long long>(count.done), static_cast<unsigned long long>(count.total),
                      elapsed_ms / 1000.0);
    } else {
        const double rate_kb =
            elapsed_ms == 0 ? 0.0 : static_cast<double>(count.done) / static_cast<double>(elapsed_ms);
        std::snprintf(text, sizeof text, ": %llu bytes in %.1f s, %.0f kB/s",
                      static_cast<unsigned long long>(count.done), elapsed_ms / 1000.0, rate_kb);
    }
    return std::string(head) + text;
}

}  // namespace voq::cli
