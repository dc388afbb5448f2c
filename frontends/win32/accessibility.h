#pragma once

#include <windows.h>

namespace voq::ui::win32 {

// Gives each control of a screen just created from its template the name a screen
// reader says for it (the shared table of ui/accessible_names.h), through the
// accessibility API's annotation of a window's name: the dialog manager would name a
// field after the fixed text before it in the template, and there the labels come
// after their fields. The IPv4 field's four boxes are named one by one.
void name_for_screen_readers(HWND dialog, int template_id);

// Releases the names again, as the screen goes (WM_DESTROY).
void forget_names(HWND dialog);

}  // namespace voq::ui::win32
