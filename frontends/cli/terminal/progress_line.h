#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace voq::cli {

struct ByteCount {
    std::uint64_t done;
    std::uint64_t total;
};

// "Uploading Target Firmware to VOQ@10.1.0.13", "Updating Transition Firmware to
// VOQ@10.1.0.13": the command-line program's own heads of its lines, whatever the
// screens' captions say.
std::string uploading_head(bool transition_image, std::string_view device);
std::string updating_head(bool transition_image, std::string_view device);

// The lines that stand for the progress screens, on a terminal and in a log alike.
std::string connecting_line(std::string_view caption, std::uint32_t elapsed_ms);
std::string waiting_line(std::uint32_t elapsed_ms, std::uint32_t timeout_ms);
std::string uploading_line(std::string_view head, ByteCount count, std::uint32_t elapsed_ms);
std::string restart_line(std::string_view head, int units_passed, int units_total);
// The one line that ends a transfer: "734916 bytes in 3.2 s, 229 kB/s"; for a transfer
// the device did not finish, where it stopped.
std::string transfer_summary_line(std::string_view head, ByteCount count, std::uint32_t elapsed_ms);

}  // namespace voq::cli
