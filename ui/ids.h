#pragma once

// The screens' template ids and their controls' ids, named. The dialog templates, both
// desktop front-ends, the harness, the autopilots and the gallery use these names. The
// numbers are the Windows resources', and also how the harness's transcripts, the key
// scripts and the tests that read them name a screen or a control: a changed number
// changes all of those.
namespace voq::ui {

namespace templates {
inline constexpr int warning = 139;
inline constexpr int address_adapter = 101;
inline constexpr int address_phone = 305;
inline constexpr int password = 104;
inline constexpr int connecting = 105;
inline constexpr int confirm_direct = 103;
inline constexpr int confirm_staged = 304;
inline constexpr int waiting = 114;
inline constexpr int uploading = 110;
inline constexpr int success = 111;
}  // namespace templates

// One id may name different controls on different screens (1003 is the user name on
// the password screen and the MAC address on the confirm screen): each name says
// which.
namespace controls {
inline constexpr int affirmative = 1;          // Continue, OK, Upgrade
inline constexpr int cancel = 2;               // also what the close box gives
inline constexpr int device_address = 1000;    // address screens: the four-box field
inline constexpr int serial_number = 1002;     // confirm
inline constexpr int user_name = 1003;         // password
inline constexpr int mac_address = 1003;       // confirm
inline constexpr int software_version = 1004;  // confirm
inline constexpr int version_now = 1004;       // success: the version running
inline constexpr int password = 1005;          // password
inline constexpr int hardware_version = 1005;  // confirm
inline constexpr int product_name = 1006;      // confirm
inline constexpr int text_pane = 1007;         // address: intro; password: help; confirm, success: text
inline constexpr int address_help = 1008;      // address
inline constexpr int progress_bar = 1010;      // connecting, waiting, uploading
inline constexpr int version_line = 1015;      // address
inline constexpr int local_addresses = 1017;   // address: the PC's addresses, a drop-down list
inline constexpr int warning_text = 1021;      // warning
inline constexpr int waiting_text = 1022;      // waiting
}  // namespace controls

}  // namespace voq::ui
