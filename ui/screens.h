#pragma once

#include <string_view>

namespace voq::ui {

// The seam between the core and a front-end (Win32 dialogs, Qt widgets, the scripted
// harness). The core decides what every screen shows and what its buttons do; a
// front-end lays the screens out, reports the buttons and supplies the services.
class Screens {
public:
    virtual ~Screens() = default;

    // The program's window class; false ends the run before any screen, silently.
    virtual bool register_window_class() = 0;
    // Makes the progress bar and the IPv4 address field available to the screens.
    virtual void init_common_controls() = 0;

    // A blocking message box with one OK button, no owner and no icon, task-modal:
    // the calling thread's screens wait while it is open.
    virtual void report_error(std::string_view message, std::string_view title) = 0;
    // Ends the process with exit status 0, from any thread, at once.
    [[noreturn]] virtual void end_process() = 0;
};

}  // namespace voq::ui
