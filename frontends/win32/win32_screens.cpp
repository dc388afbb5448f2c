#include "frontends/win32/win32_screens.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "frontends/win32/accessibility.h"
#include "ui/credential_bytes.h"
#include "ui/texts.h"

namespace voq::ui::win32 {

namespace {

std::string text_of(std::string_view text) { return std::string(text); }

void set_text(HWND dialog, int control, std::string_view text)
{
    ::SetDlgItemTextA(dialog, control, text_of(text).c_str());
}

// The window in the middle of the primary screen, halved by an arithmetic shift
// (a window larger than the screen goes to negative coordinates), and on top.
void centre_window(HWND window)
{
    RECT outer;
    if (!::GetWindowRect(window, &outer)) return;
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) >> 1;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) >> 1;
    ::SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
}

// What a modal screen's procedure needs: how to fill it, and what its OK does.
struct Modal {
    std::function<void(HWND)> fill;
    std::function<bool(HWND)> on_ok;  // false keeps the screen open
    int focus = 0;                    // control that takes the focus; 0: the platform's default
    PasswordAnswer* password = nullptr;
    int template_id = 0;  // for the names a screen reader gives the controls
};

INT_PTR CALLBACK modal_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        auto* modal = reinterpret_cast<Modal*>(lparam);
        ::SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        modal->fill(dialog);
        name_for_screen_readers(dialog, modal->template_id);
        describe_for_screen_readers(dialog, modal->template_id);
        centre_window(dialog);
        if (modal->focus == 0) return TRUE;
        ::SetFocus(::GetDlgItem(dialog, modal->focus));
        return FALSE;
    }
    if (message == WM_DESTROY) forget_names(dialog);
    if (message != WM_COMMAND) return FALSE;
    auto* modal = reinterpret_cast<Modal*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    switch (LOWORD(wparam)) {
    case IDOK:
        if (!modal->on_ok || modal->on_ok(dialog)) ::EndDialog(dialog, 1);
        return TRUE;
    case IDCANCEL:
        ::EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK progress_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        centre_window(dialog);
        return TRUE;
    }
    if (message == WM_DESTROY) forget_names(dialog);
    // Cancel and the close box are only noted: the owning thread's pump takes the abort path.
    if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL) {
        ::SetWindowLongPtrA(dialog, DWLP_USER, 1);
        return TRUE;
    }
    return FALSE;
}

// The address field's text as typed: its four boxes (the control's own edit windows,
// left to right) joined by dots, an empty box giving an empty group, so that the
// parser refuses it rather than reading it as 0.
std::string address_text(HWND dialog)
{
    HWND field = ::GetDlgItem(dialog, controls::device_address);
    std::vector<std::pair<LONG, std::string>> boxes;
    for (HWND box = ::FindWindowExA(field, nullptr, "Edit", nullptr); box != nullptr && boxes.size() < 4;
         box = ::FindWindowExA(field, box, "Edit", nullptr)) {
        RECT area;
        ::GetWindowRect(box, &area);
        char digits[8] = "";
        ::GetWindowTextA(box, digits, sizeof digits);
        boxes.emplace_back(area.left, digits);
    }
    std::sort(boxes.begin(), boxes.end());
    std::string text;
    for (std::size_t k = 0; k < boxes.size(); ++k) text += (k == 0 ? "" : ".") + boxes[k].second;
    return text;
}

// A field's text in the 8-bit bytes of the ANSI code page, which the device is sent;
// false when a character has none there (the system would send '?' instead). Read
// whole and in UTF-16, as typed, so that nothing is lost before the check.
bool ansi_text(HWND dialog, int control, std::string& text)
{
    HWND field = ::GetDlgItem(dialog, control);
    std::wstring typed(static_cast<std::size_t>(std::max(::GetWindowTextLengthW(field), 0)) + 1, L'\0');
    typed.resize(
        static_cast<std::size_t>(std::max(::GetWindowTextW(field, typed.data(), static_cast<int>(typed.size())), 0)));
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    const std::optional<std::string> bytes =
        credential_from_utf16({reinterpret_cast<const char16_t*>(typed.data()), typed.size()});
    if (!bytes) return false;
    text = *bytes;
    return true;
}

}  // namespace

int Win32Screens::show_warning(const WarningView& view)
{
    Modal modal{[&](HWND dialog) {
                    ::SetWindowTextA(dialog, view.caption.c_str());
                    set_text(dialog, controls::warning_text, view.text);
                },
                {},
                IDCANCEL};
    modal.template_id = view.template_id;
    return static_cast<int>(::DialogBoxParamA(module_, MAKEINTRESOURCEA(view.template_id), nullptr, modal_procedure,
                                              reinterpret_cast<LPARAM>(&modal)));
}

int Win32Screens::show_address(const AddressView& view,
                               const std::function<bool(std::string_view typed, int selection)>& accept)
{
    Modal modal{[&](HWND dialog) {
                    for (const std::string& address : view.local_addresses)
                        ::SendDlgItemMessageA(dialog, controls::local_addresses, CB_ADDSTRING, 0,
                                              reinterpret_cast<LPARAM>(address.c_str()));
                    ::SendDlgItemMessageA(dialog, controls::local_addresses, CB_SETCURSEL, 0, 0);
                    ::SetWindowTextA(dialog, view.caption.c_str());
                    set_text(dialog, controls::text_pane, view.intro);
                    set_text(dialog, controls::address_help, view.help);
                    set_text(dialog, controls::version_line, view.version_line);
                },
                [&](HWND dialog) {
                    const std::string typed = address_text(dialog);
                    const int selection =
                        static_cast<int>(::SendDlgItemMessageA(dialog, controls::local_addresses, CB_GETCURSEL, 0, 0));
                    if (accept(typed, selection)) return true;
                    ::MessageBoxA(dialog, text_of(text::invalid_address).c_str(),
                                  text_of(text::error_box_title).c_str(), MB_OK);
                    ::SetFocus(::GetDlgItem(dialog, controls::device_address));
                    return false;
                },
                controls::device_address};
    modal.template_id = view.template_id;
    return static_cast<int>(::DialogBoxParamA(module_, MAKEINTRESOURCEA(view.template_id), nullptr, modal_procedure,
                                              reinterpret_cast<LPARAM>(&modal)));
}

PasswordAnswer Win32Screens::show_password(const PasswordView& view)
{
    PasswordAnswer answer{false, {}, {}};
    Modal modal{[&](HWND dialog) {
                    set_text(dialog, controls::text_pane, view.help);
                    set_text(dialog, controls::user_name, view.user_name);
                },
                [&](HWND dialog) {
                    std::string user_name, password;
                    const bool user_fits = ansi_text(dialog, controls::user_name, user_name);
                    if (user_fits && ansi_text(dialog, controls::password, password)) {
                        answer.user_name = user_name;
                        answer.password = password;
                        return true;
                    }
                    ::MessageBoxA(dialog, text_of(text::unsendable_credentials).c_str(),
                                  text_of(text::error_box_title).c_str(), MB_OK);
                    ::SetFocus(::GetDlgItem(dialog, user_fits ? controls::password : controls::user_name));
                    return false;
                },
                controls::password};
    modal.template_id = view.template_id;
    // A Unicode dialog: the edit controls of an ANSI one keep their text in the ANSI
    // code page, where a character it lacks is already a '?' when it is read.
    answer.ok = ::DialogBoxParamW(module_, MAKEINTRESOURCEW(view.template_id), nullptr, modal_procedure,
                                  reinterpret_cast<LPARAM>(&modal)) == 1;
    return answer;
}

int Win32Screens::show_confirm(const ConfirmView& view)
{
    Modal modal{[&](HWND dialog) {
                    ::SetWindowTextA(dialog, view.caption.c_str());
                    for (const auto& [control, text] : confirm_fields(view)) set_text(dialog, control, text);
                },
                {}};
    modal.template_id = view.template_id;
    return static_cast<int>(::DialogBoxParamA(module_, MAKEINTRESOURCEA(view.template_id), nullptr, modal_procedure,
                                              reinterpret_cast<LPARAM>(&modal)));
}

int Win32Screens::show_success(const SuccessView& view)
{
    if (log_ != nullptr) log_->shown(view.caption);
    Modal modal{[&](HWND dialog) {
                    ::SetWindowTextA(dialog, view.caption.c_str());
                    set_text(dialog, controls::text_pane, view.text);
                    set_text(dialog, controls::version_now, view.version);
                },
                {}};
    modal.template_id = view.template_id;
    return static_cast<int>(::DialogBoxParamA(module_, MAKEINTRESOURCEA(view.template_id), nullptr, modal_procedure,
                                              reinterpret_cast<LPARAM>(&modal)));
}

ProgressId Win32Screens::open_progress(const ProgressView& view)
{
    // The template is not visible by itself: caption, text and range are in place
    // before the screen is first drawn.
    HWND dialog = ::CreateDialogParamA(module_, MAKEINTRESOURCEA(view.template_id), nullptr, progress_procedure, 0);
    name_for_screen_readers(dialog, view.template_id, annotate_);
    ::SetWindowTextA(dialog, view.caption.c_str());
    if (view.template_id == templates::waiting) set_text(dialog, controls::waiting_text, view.text);
    describe_for_screen_readers(dialog, view.template_id, annotate_);
    ::SendDlgItemMessageA(dialog, controls::progress_bar, PBM_SETRANGE, 0, MAKELPARAM(0, view.range_high));
    ::SendDlgItemMessageA(dialog, controls::progress_bar, PBM_SETPOS, 0, 0);
    ::ShowWindow(dialog, SW_SHOWNORMAL);
    const std::lock_guard<std::mutex> hold(mutex_);
    const ProgressId screen = next_progress_++;
    progress_[screen] = {dialog, phases_.load()};
    return screen;
}

HWND Win32Screens::window_of(ProgressId screen)
{
    const std::lock_guard<std::mutex> hold(mutex_);
    const auto found = progress_.find(screen);
    return found == progress_.end() ? nullptr : found->second.dialog;
}

void Win32Screens::set_progress_caption(ProgressId screen, std::string_view caption)
{
    const int phase = phases_.load();
    HWND dialog = nullptr;
    bool new_phase = false;
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        const auto found = progress_.find(screen);
        if (found == progress_.end()) return;
        dialog = found->second.dialog;
        new_phase = std::exchange(found->second.phase, phase) != phase;
    }
    const std::string text = text_of(caption);
    ::SetWindowTextA(dialog, text.c_str());
    if (new_phase) announce_caption(dialog, text, annotate_);
}

void Win32Screens::set_progress_text(ProgressId screen, std::string_view text)
{
    HWND dialog = window_of(screen);
    set_text(dialog, controls::waiting_text, text);
    describe_for_screen_readers(dialog, templates::waiting, annotate_);
}

void Win32Screens::set_progress_range(ProgressId screen, int high)
{
    ::SendDlgItemMessageA(window_of(screen), controls::progress_bar, PBM_SETRANGE, 0, MAKELPARAM(0, high));
}

void Win32Screens::set_progress_position(ProgressId screen, int position)
{
    ::SendDlgItemMessageA(window_of(screen), controls::progress_bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

Pump Win32Screens::pump(ProgressId screen, int max_messages)
{
    HWND dialog = window_of(screen);
    MSG message;
    for (int handled = 0; handled < max_messages && ::PeekMessageA(&message, dialog, 0, 0, PM_REMOVE); ++handled) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return ::GetWindowLongPtrA(dialog, DWLP_USER) != 0 ? Pump::cancelled : Pump::quiet;
}

void Win32Screens::close_progress(ProgressId screen)
{
    HWND dialog = nullptr;
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        const auto found = progress_.find(screen);
        if (found == progress_.end()) return;
        dialog = found->second.dialog;
        progress_.erase(found);
    }
    ::DestroyWindow(dialog);
}

void Win32Screens::note(const record::Fact& fact)
{
    if (std::holds_alternative<record::PhaseFact>(fact)) ++phases_;
    if (log_ != nullptr) log_->note(fact);
}

void Win32Screens::report_error(std::string_view message, std::string_view title)
{
    if (log_ != nullptr) log_->shown(message);
    ::MessageBoxA(nullptr, text_of(message).c_str(), text_of(title).c_str(), MB_OK | MB_TASKMODAL);
}

void Win32Screens::end_process() { ::ExitProcess(0); }

}  // namespace voq::ui::win32
