#pragma once

#include <string_view>

// The screens' texts, word for word as they are shown: captions, panes, labels,
// buttons, the formats that take a version or an address, and what a screen reader
// says. Every front-end draws its screens from these ("\r\n" breaks the lines of a
// text pane; double blanks belong to the texts). A failed run's message is the core's,
// in session/messages.h.
namespace voq::ui::text {

inline constexpr std::string_view error_title = "VOQ Firwmare Upgrade Error";

inline constexpr std::string_view warning =
    "WARNING: Forcing a firmware upgrade on your VOQ\r\n"
    "without prior approval from your service provider or\r\n"
    "network administrator may cause interruption to your\r\n"
    "service.  If your VOQ is managed by a service\r\n"
    "provider who retains administrative control of the\r\n"
    "device, please contact the service provider for\r\n"
    "authorization before proceeding.  In such cases, the\r\n"
    "most current, approved for service firmware is\r\n"
    "automatically provided by your service provider without\r\n"
    "any onus on the end user to upgrade manually.";

inline constexpr std::string_view address_intro = "This program will upgrade your VOQ\r\nfirmware to:";

inline constexpr std::string_view phone_address_help =
    "To proceed, please provide the IP address\r\n"
    "of your VOQ. To find out the IP address of\r\n"
    "your VOQ, press the I button on the phone,\r\n"
    "select \"Network\" option, and check the\r\n"
    "value of \"Current IP\". For example, 10.1.0.13\r\n"
    "\r\n"
    "Please enter IP address of your VOQ:";

inline constexpr std::string_view adapter_address_help =
    "To proceed, please provide the IP address\r\n"
    "of your VOQ. To find out the IP address\r\n"
    "of your VOQ, using a telephone handset,\r\n"
    "enter * * * *, option 110#, and write down\r\n"
    "the value. For example, 10.1.0.123\r\n"
    "\r\n"
    "Please enter IP address of your VOQ:";

inline constexpr std::string_view password_help =
    "This VOQ requires a password in order to be\r\n"
    "upgraded. If you do not have administrator's\r\n"
    "privileges for this unit, please contact your\r\n"
    "Service Provider or network administrator,\r\n"
    "before proceeding.\r\n"
    "\r\n"
    "You must provide the VOQ administrator's\r\n"
    "password to upgrade. If you are the administrator\r\n"
    "and forgot the password, you may perform a\r\n"
    "factory reset by entering * * * *, option 52614#,\r\n"
    "and value 1 from a telephone connected to the\r\n"
    "unit to be upgraded.\r\n"
    "\r\n"
    "* * * * * * * * * * *  Warning  * * * * * * * * * * *\r\n"
    "All settings will revert to default values\r\n"
    "after factory reset!  You may not be able to\r\n"
    "reestablish service after completing this upgrade\r\n"
    "without first reentering service configuration\r\n"
    "information.";

inline constexpr std::string_view confirm =
    "The following information was extracted\r\n"
    "from your VOQ. Please click \"Upgrade\"\r\n"
    "if you would like to proceed. If you would\r\n"
    "like to quit click \"Cancel\".";

// Filled with the confirm text and the transition image's version.
inline constexpr const char* staged_note_format =
    "%s\r\n\r\nNote: Since your current firmware version\r\n"
    "is older than %s, this upgrade procedure\r\n"
    "requires additional steps and will be\r\n"
    "slightly longer.\r\n";

inline constexpr std::string_view waiting =
    "Firmware upload will begin when the VOQ is idle, where the VOQ will request to download the "
    "firmware from this PC using TFTP at the first available UDP port starting at port number 69.\r\n"
    "\r\n"
    "If firmware download does not start, please check that you have done the following: a) Hangup "
    "properly all the phones attached to the VOQ, b) Disable any firewall software (such as Internet "
    "Connection Firewall) on this PC, and c) Make sure that this PC and the VOQ are on the same LAN "
    "subnet; it will not work for example if this PC is behind a router while the VOQ is in front of it.";

inline constexpr std::string_view uploading_notice =
    "Please do not unplug the power of your VOQ until the Status Light stops blinking";

inline constexpr std::string_view success = "Your VOQ has been successfully\r\nupgraded to the version shown\r\nbelow.";
inline constexpr std::string_view success_version_label = "Firmware version now running:";

// The formats of the captions and lines that name the product, a version or the device;
// ui/views.h fills them. "%.*s" takes a length and the text.
inline constexpr const char* program_caption_format = "%.*s Firmware Upgrade";
inline constexpr const char* version_line_format = "Version %.*s";
inline constexpr const char* connecting_caption_format = "Connecting with VOQ@%.*s";
inline constexpr const char* confirm_caption_format = "Confirm Upgrade to Ver. %.*s";
inline constexpr const char* success_caption_format = "VOQ@%.*s Upgrade Successful!";
// The image's role, the device's address, the bytes acknowledged and the image's size.
inline constexpr const char* uploading_progress_format = "Uploading %.*s Firmware to VOQ@%.*s %d/%d Bytes";
inline constexpr const char* updating_caption_format = "Updating %.*s Firmware to VOQ@%.*s";
inline constexpr std::string_view target_role = "Target";
inline constexpr std::string_view transition_role = "Transition";

inline constexpr std::string_view default_user_name = "admin";

inline constexpr std::string_view password_caption = "Enter Password Information";
inline constexpr std::string_view waiting_caption = "Waiting For Firmware Download Request From VOQ";
inline constexpr std::string_view uploading_caption = "Uploading Firmware To VOQ";

// The templates' own texts: buttons, labels, and the captions a screen has before the
// program gives it its own.
inline constexpr std::string_view continue_button = "Continue";
inline constexpr std::string_view cancel_button = "Cancel";
inline constexpr std::string_view ok_button = "OK";
inline constexpr std::string_view upgrade_button = "Upgrade";
inline constexpr std::string_view local_address_label = "Your IP Address";
inline constexpr std::string_view user_name_label = "User";
inline constexpr std::string_view password_label = "Password";
inline constexpr std::string_view serial_number_label = "Serial Number";
inline constexpr std::string_view mac_address_label = "MAC Address";
inline constexpr std::string_view software_version_label = "Software Version";
inline constexpr std::string_view hardware_version_label = "Hardware Version";
inline constexpr std::string_view product_name_label = "Product Name";
inline constexpr std::string_view program_template_caption = "VOQ Firmware Upgrade";
inline constexpr std::string_view connecting_template_caption = "Connecting with VOQ";
inline constexpr std::string_view confirm_template_caption = "Confirm Upgrade";
inline constexpr std::string_view success_template_caption = "VOQ Upgrade Successful!";

// What a screen reader calls what has no label of its own: the text panes, the icons,
// one box of the four of the address field (its number and the count follow).
inline constexpr std::string_view warning_pane_name = "Warning";
inline constexpr std::string_view introduction_pane_name = "Introduction";
inline constexpr std::string_view instructions_pane_name = "Instructions";
inline constexpr std::string_view result_pane_name = "Result";
inline constexpr std::string_view phone_icon_name = "VOQ IP phone";
inline constexpr std::string_view adapter_icon_name = "VOQ telephone adapter";
inline constexpr const char* address_box_name_format = "%.*s %d of %d";
// What a bar that only shows that something is under way says instead of a percentage.
inline constexpr std::string_view busy_bar_description = "busy";

// The title of the boxes a screen shows over itself when it refuses what was typed.
inline constexpr std::string_view error_box_title = "Error";

inline constexpr std::string_view invalid_address = "Invalid IP Address";

// The password screen's answer to a user name or password with a character that has
// no 8-bit form (the ANSI code page on Windows, Latin-1 on Linux): the device could
// only be sent a changed one.
inline constexpr std::string_view unsendable_credentials =
    "The user name or password contains a character that cannot be sent to your VOQ.\r\n"
    "Please type them again without it.";

}  // namespace voq::ui::text
