#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace voq::ui::win32 {

// What a screen reader is told about a window beyond what the dialog manager tells it.
enum class Annotation { name, description };

// Where the annotations go: the accessibility service's annotations of a window
// (annotation_service), or whatever a test puts in their place.
using Annotate = std::function<void(HWND window, Annotation kind, const std::string& text)>;
Annotate annotation_service();

// Gives each control of a screen just created from its template the name a screen
// reader says for it (the shared table of ui/accessible_names.h): the dialog manager
// would name a field after the fixed text before it in the template, and there the
// labels come after their fields. Each control is looked up by its id; those without
// one (icons, fixed texts) in the order of their kind among themselves. The IPv4
// field's four boxes are named one by one.
void name_for_screen_readers(HWND dialog, int template_id, const Annotate& annotate);
void name_for_screen_readers(HWND dialog, int template_id);

// The screen's body, as its texts stand now, as the dialog's description: a screen
// reader reads it as the screen opens (the warning's pane takes no focus).
void describe_for_screen_readers(HWND dialog, int template_id, const Annotate& annotate);
void describe_for_screen_readers(HWND dialog, int template_id);

// Releases the names again, as the screen goes (WM_DESTROY).
void forget_names(HWND dialog);

}  // namespace voq::ui::win32
