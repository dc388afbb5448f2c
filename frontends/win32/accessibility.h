#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace voq::ui::win32 {

// What a screen reader is told about a window beyond what the dialog manager tells it:
// a name and a description that it keeps, and that the window's name has changed.
enum class Annotation { name, description, name_changed };

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

// A progress screen's new caption as the run enters a phase with the screen open (the
// uploading screen turning into the restart wait), which keeps the focus where it was:
// the bar takes the caption as its name, as on Linux, and the dialog and the bar tell a
// screen reader that their names changed. Not at every block: each would be spoken.
void announce_caption(HWND dialog, const std::string& caption, const Annotate& annotate);

// Releases the names again, as the screen goes (WM_DESTROY).
void forget_names(HWND dialog);

}  // namespace voq::ui::win32
