#pragma once

#include <string>
#include <string_view>

#include "record/printable.h"
#include "session/session.h"
#include "ui/screens.h"

namespace voq::ui {

// Every screen's contents, from the Session state as it stands when the screen opens.
ui::WarningView warning_view(const session::Session& session);
ui::AddressView address_view(const session::Session& session);
ui::PasswordView password_view();
ui::ProgressView connecting_view(const session::Session& session);
ui::ConfirmView confirm_view(const session::Session& session);
ui::ProgressView waiting_view(bool with_text);
ui::ProgressView uploading_view(int block_count);
ui::SuccessView success_view(const session::Session& session);

// "Uploading Target Firmware to VOQ@10.1.0.13 512/734916 Bytes"
std::string uploading_caption(const session::Session& session, int bytes_acknowledged, std::uint32_t image_size);
// "Updating Target Firmware to VOQ@10.1.0.13"
std::string updating_caption(const session::Session& session);

// The captions and lines with a value in them, from plain values: what the views above
// show, and what tests compare with. The texts and formats are in ui/texts.h.
std::string program_caption(std::string_view display_name);       // "VOQ-3300 Firmware Upgrade"
std::string version_line(std::string_view version);               // "Version 2.0.13(g)"
std::string connecting_caption(std::string_view device_address);  // "Connecting with VOQ@10.1.0.13"
std::string confirm_caption(std::string_view version);            // "Confirm Upgrade to Ver. 2.0.13(g)"
std::string success_caption(std::string_view device_address);     // "VOQ@10.1.0.13 Upgrade Successful!"
std::string uploading_caption(std::string_view role, std::string_view device_address, int bytes_acknowledged,
                              std::uint32_t image_size);
std::string updating_caption(std::string_view role, std::string_view device_address);

using record::dotted;

}  // namespace voq::ui
