#pragma once

class QAccessibleEvent;

namespace voq::ui::qt {

// The toolkit puts the plain characters typed into a password field into its
// text-changed events, which a screen reader speaks and any program on the
// accessibility bus can read. From this call on, such events leave the program with
// each character masked; the busy bars' value changes do not leave it at all. Once per
// process; later calls do nothing.
void keep_secrets_off_the_accessibility_bus();

// Whether an event carries the text of a password field.
bool carries_secret_text(QAccessibleEvent* event);

}  // namespace voq::ui::qt
