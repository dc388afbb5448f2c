#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "record/facts.h"
#include "ui/ids.h"

namespace voq::ui {

// Thrown by end_process() where a process performs several runs: the run is over, and
// each of its threads leaves the core where it stands, releasing what it holds. The
// core catches it at the top of every thread it starts.
struct RunEnded {};


// What each screen shows, computed by the core from the Session state. A front-end
// puts these texts into the template's controls unchanged.
struct WarningView {
    int template_id;
    std::string caption;
    std::string text;  // controls::warning_text
};

struct AddressView {
    int template_id;  // address_adapter, or address_phone for phone-style products
    std::string caption;
    std::string intro;                         // controls::text_pane
    std::string help;                          // controls::address_help
    std::string version_line;                  // controls::version_line
    std::vector<std::string> local_addresses;  // controls::local_addresses, the first one selected
};

struct PasswordView {
    int template_id;
    std::string caption;
    std::string help;       // controls::text_pane
    std::string user_name;  // controls::user_name; controls::password starts empty
};

struct ConfirmView {
    int template_id;  // confirm_direct, or confirm_staged in staged mode
    std::string caption;
    std::string text;           // controls::text_pane
    std::string serial_number;  // controls::serial_number, and so on
    std::string mac_address;
    std::string software_version;
    std::string hardware_version;
    std::string product_name;
    std::string staged_note{};  // the note on the transition image that text ends with; empty in direct mode
};

// The confirm screen's controls and what each shows, in the template's order.
struct ControlText {
    int control;
    std::string_view text;
};
inline std::array<ControlText, 6> confirm_fields(const ConfirmView& view)
{
    return {{{controls::text_pane, view.text},
             {controls::serial_number, view.serial_number},
             {controls::mac_address, view.mac_address},
             {controls::software_version, view.software_version},
             {controls::hardware_version, view.hardware_version},
             {controls::product_name, view.product_name}}};
}

struct SuccessView {
    int template_id;
    std::string caption;
    std::string text;           // controls::text_pane
    std::string version_label;  // the static line
    std::string version;        // controls::version_now
};

// The modeless screens with a progress bar: connecting, waiting, uploading.
struct ProgressView {
    int template_id;
    std::string caption;
    std::string text;  // waiting: controls::waiting_text; uploading: its fixed notice; connecting: none
    int range_high;    // the bar runs from 0
};

struct PasswordAnswer {
    bool ok;
    std::string user_name;
    std::string password;
};

using ProgressId = int;

enum class Pump { quiet, cancelled };

// The seam between the core and a front-end (Win32 dialogs, Qt widgets, the scripted
// harness, a terminal). The core decides what every screen shows and what its buttons
// do; a front-end lays the screens out, reports the buttons and supplies the services.
//
// What a front-end must keep, whichever toolkit it uses:
// - Threads. Every call may come from any of the program's threads: the wizard thread
//   (warning, address, password, confirm, the connecting screens of its requests), a
//   request's worker (nothing but trace lines), the TFTP listener's thread (waiting,
//   uploading, the connecting screens of the re-reads, success). A screen belongs to
//   the thread that opened it; only that thread sets, pumps and closes it.
// - Modality is per thread. A modal screen or message box holds the other windows of
//   its own thread only: while the wizard thread's password screen is open, the
//   listener thread's waiting screen keeps answering, and its Cancel works. Toolkits
//   whose modality is per application must not use it as it is.
// - Progress calls come fast: set_progress_position once a turn, up to a thousand times
//   a second while a screen waits, a position (and, unless refused, a caption) for every
//   block while a transfer runs. Each must return at once, without waiting for a redraw; a front-end
//   may keep only the newest position and caption and show them at its own pace (ten
//   times a second is plenty). Range and text changes are rare and must not be lost.
// - pump runs between waits of at most turn_interval_ms: it handles only the input that is
//   already pending (at most max_messages of it) and returns at once, never waiting for
//   more. A Cancel or close box it finds is reported as Pump::cancelled; the core then
//   closes the screen and takes the abort path on the same thread.
// - Keys are those of the Windows dialog manager on every front-end: Enter presses the
//   focused button (the default one from a field), Space the focused button, Escape is
//   Cancel; on a progress screen Enter and Escape do nothing. The one table is
//   docs/keyboard-and-screen-readers.md; tests/keyboard_cases.txt plays it on both desktop programs.
// - report_error is a blocking box with one OK, task-modal in the sense above.
// - end_process ends the process at once from any thread, with status 0 on the desktop
//   (a front-end for scripts may choose the status by the outcome it was told of). It
//   must not run other threads' destructors or wait for them: they may sit in blocking
//   socket calls or hold screens. It may flush what the front-end itself writes. Where
//   a process performs several runs it ends the run instead (RunEnded, below).
// tests/support/screens_conformance.h holds cases any front-end can be run through.
class Screens {
public:
    virtual ~Screens() = default;

    // Modal screens: each returns 1 for its affirmative button, 0 for Cancel or the close box.
    virtual int show_warning(const WarningView& view) = 0;
    // On OK the front-end hands the typed text and the list's selection (-1 when the
    // list is empty) to accept; when it refuses, the front-end shows the box
    // "Invalid IP Address" titled "Error", owned by the screen, and the screen stays
    // open with focus back on the address field.
    virtual int show_address(const AddressView& view,
                             const std::function<bool(std::string_view typed, int selection)>& accept) = 0;
    virtual PasswordAnswer show_password(const PasswordView& view) = 0;
    virtual int show_confirm(const ConfirmView& view) = 0;
    virtual int show_success(const SuccessView& view) = 0;

    // Modeless progress screens, created and shown on the calling thread.
    virtual ProgressId open_progress(const ProgressView& view) = 0;
    virtual void set_progress_caption(ProgressId screen, std::string_view caption) = 0;
    virtual void set_progress_text(ProgressId screen, std::string_view text) = 0;
    virtual void set_progress_range(ProgressId screen, int high) = 0;
    virtual void set_progress_position(ProgressId screen, int position) = 0;
    // Handles up to max_messages of the screen's pending input (the user's clicks and
    // keys); says whether Cancel or the close box was among them.
    virtual Pump pump(ProgressId screen, int max_messages) = 0;
    // How long the core may wait for its socket before it pumps a progress screen again.
    // A front-end that finds its Cancel only in pump keeps it at a millisecond; one whose
    // Cancel is a flag read by pump may make it longer, at a human pace: a Cancel then
    // ends the wait at the next turn. The bars of a waiting screen are kept by the clock
    // whatever the turn.
    virtual unsigned turn_interval_ms() const { return 1; }
    // Whether the uploading screen's caption, which tells the bytes acknowledged at every
    // block, is shown: a front-end that tells the transfer from its facts says no, and
    // the core formats none of them.
    virtual bool shows_transfer_caption() const { return true; }
    virtual void close_progress(ProgressId screen) = 0;

    // A blocking message box with one OK button, no owner and no icon, task-modal:
    // the calling thread's screens wait while it is open.
    virtual void report_error(std::string_view message, std::string_view title) = 0;
    // The same box for a failure of the run, with its code, which the core notes just
    // before: a front-end that tells outcomes apart reads it here, not from the text.
    virtual void report_failure(session::Failure, std::string_view message, std::string_view title)
    {
        report_error(message, title);
    }
    // Ends the process from any thread, at once: with status 0 on the desktop, with the
    // status of the outcome it was told of in a front-end for scripts. A front-end that
    // performs several runs in one process ends the run instead, by throwing RunEnded.
    [[noreturn]] virtual void end_process() = 0;
    // A thread of the run with nothing left to do waits here up to ms. Where a process
    // performs several runs, the front-end ends the thread (RunEnded) once the run is over.
    virtual void idle(unsigned ms) { platform::sleep_milliseconds(ms); }

    // What happened, beside what is shown: from any thread, in the order it happened
    // on that thread; a failure's fact comes just before its report_error. Must return
    // at once. A front-end that only shows screens needs none of it.
    virtual void note(const record::Fact&) {}
    // Whether this front-end wants the transfer's packets as facts: one a datagram,
    // so the core makes none for those that do not.
    virtual bool notes_packets() const { return false; }
};

}  // namespace voq::ui
