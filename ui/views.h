#pragma once

#include <string>

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

// "a.b.c.d", most significant byte first.
std::string dotted(std::uint32_t address);

}  // namespace voq::ui
