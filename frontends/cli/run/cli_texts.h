#pragma once

#include <string_view>

// The command-line program's own messages, for the outcomes the desktop programs have
// no message for (they ask again, or wait until Cancel); the messages it shares with
// them are the core's (session/messages.h), its screens' words are ui/texts.h's.
namespace voq::cli::text {

inline constexpr std::string_view password_refused = "Upgrade Failed: Password refused by VOQ";
inline constexpr std::string_view password_missing =
    "Upgrade Failed: VOQ requires a password (--password-file, VOQ_UPGRADE_PASSWORD, or a terminal to ask on)";
inline constexpr std::string_view password_not_typed =
    "Upgrade Failed: VOQ requires a password, and none was typed at the prompt";
inline constexpr std::string_view no_request = "Upgrade Failed: No Firmware Download Request From VOQ";
inline constexpr std::string_view not_confirmed =
    "Not upgraded: the warning was not accepted (--yes accepts it where no terminal can ask)";
inline constexpr std::string_view ended_unexpectedly = "Upgrade Failed: the run ended without a result";
inline constexpr std::string_view upgrade_not_confirmed =
    "Not upgraded: the upgrade was not confirmed, so neither the upgrade request nor the firmware was sent "
    "(--yes confirms it where no terminal can ask)";
inline constexpr std::string_view terminated = "Upgrade Failed: Terminated (SIGTERM)";
inline constexpr std::string_view hung_up = "Upgrade Failed: Hung up (SIGHUP)";
inline constexpr std::string_view not_started = "Not upgraded: the run was ended before this device's turn";

}  // namespace voq::cli::text
