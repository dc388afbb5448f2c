// Forced into one copy of ui/views.cpp, for a build of the command-line program whose
// screens say the same things in other words: what it reports must not change.
#pragma once

#include "ui/texts.h"

namespace voq::ui::text {
inline constexpr const char* reworded_uploading = "Sending the %.*s image to VOQ@%.*s: %d bytes of %d done";
inline constexpr const char* reworded_updating = "The %.*s image is in VOQ@%.*s, which restarts";
inline constexpr const char* reworded_success = "Done: VOQ@%.*s runs its new firmware";
inline constexpr const char* reworded_connecting = "Talking to VOQ@%.*s";
}  // namespace voq::ui::text

#define uploading_progress_format reworded_uploading
#define updating_caption_format reworded_updating
#define success_caption_format reworded_success
#define connecting_caption_format reworded_connecting
