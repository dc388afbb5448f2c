#pragma once

#include <string_view>

// The messages a failed run ends with, word for word, one for each failure the core
// reports (session/failure_codes.h pairs them): every front-end shows these same
// words. The screens' own texts are in ui/texts.h; the words only the command-line
// program has are in frontends/cli/run/cli_texts.h.
namespace voq::session::message {

inline constexpr std::string_view winsock_init_error = "Upgrade Failed: Winsock init error";
inline constexpr std::string_view no_response = "Upgrade Failed: No Response From VOQ";
inline constexpr std::string_view user_abort = "Upgrade Failed: User Abort";
inline constexpr std::string_view cannot_open_http_socket = "Upgrade Failed: Can't open HTTP socket";
inline constexpr std::string_view cannot_bind_http_socket = "Upgrade Failed: Can't bind HTTP socket";
inline constexpr std::string_view cannot_allocate_listener = "Upgrade Failed: Can't malloc for TFTP listener";
inline constexpr std::string_view cannot_create_listener_socket = "Upgrade Failed: Can't create TFTP listener socket";
inline constexpr std::string_view cannot_bind_listener_socket = "Upgrade Failed: Can't bind TFTP listener socket";
// Starting a thread is not supposed to fail; should it, nothing could be served.
inline constexpr std::string_view cannot_start_listener = "Upgrade Failed: Can't start TFTP listener";
inline constexpr std::string_view cannot_allocate_session = "Upgrade Failed: Can't malloc for TFTP session";
inline constexpr std::string_view upload_incomplete = "Upgrade Failed: Firmware Upload Incomplete";
inline constexpr std::string_view version_mismatch = "Upgrade Failed: Version not matching";
// A build always carries its images; this stands for a damaged program file.
inline constexpr std::string_view firmware_missing = "Upgrade Failed: Firmware image missing or damaged";

}  // namespace voq::session::message
