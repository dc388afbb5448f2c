#pragma once

#include <windows.h>

namespace voq::ui::win32 {

// The window class "VoqUpgrade", of which no window is ever made; false when the
// system refuses it, and then the program ends before any screen, silently.
bool register_window_class(HINSTANCE module);
// The progress bar and the IPv4 address field exist only once this has run: before
// the first screen opens.
void init_common_controls();

}  // namespace voq::ui::win32
