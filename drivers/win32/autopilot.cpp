// voq-win32-autopilot.exe SHOTS_DIR DEVICE_ADDRESS PASSWORD PROGRAM.exe [KEYS]
// Starts PROGRAM and plays its user through the real dialogs: Continue, the
// device's address, the password, Upgrade, OK; writes a PNG of every screen and
// SHOTS_DIR/summary.txt. For the demonstration and the tests under wine. With KEYS
// (drivers/key_script.h) the user has only the keyboard: each key goes in through
// the system's keyboard input. Without KEYS, before its turn on a screen it writes what the
// accessibility API names each of the screen's controls ("name SCREEN ID "NAME"", the
// IPv4 field's boxes as ID.1 to ID.4) to the summary.

// windows.h first: the headers after it use its types.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "drivers/key_script.h"
#include "drivers/win32/png_writer.h"
#include "ui/ids.h"

namespace {

namespace controls = voq::ui::controls;
namespace templates = voq::ui::templates;

struct Seen {
    std::string name;
    DWORD since;
    bool done;
    bool named = false;
};

std::string shots;
std::FILE* summary = nullptr;
DWORD program = 0;
std::map<HWND, Seen> seen;
std::set<std::string> shot;
bool keyboard_only = false;
voq::autopilot::KeyScript key_script;

std::string caption_of(HWND window)
{
    char caption[256] = "";
    ::GetWindowTextA(window, caption, sizeof caption);
    return caption;
}

bool has(HWND dialog, int id) { return ::GetDlgItem(dialog, id) != nullptr; }

// Which screen a window is, by the controls its template holds; its name is its
// template id, as the key scripts and the summary write it.
std::string screen_of(HWND dialog)
{
    const auto name = [](int template_id) { return std::to_string(template_id); };
    if (has(dialog, controls::warning_text)) return name(templates::warning);
    if (has(dialog, controls::device_address)) return has(dialog, controls::address_help) ? "address" : "?";
    if (has(dialog, controls::password) && has(dialog, controls::user_name) && !has(dialog, controls::product_name))
        return name(templates::password);
    if (has(dialog, controls::product_name)) return "confirm";
    if (has(dialog, controls::waiting_text)) return name(templates::waiting);
    if (has(dialog, controls::progress_bar)) {
        if (has(dialog, controls::affirmative)) return "?";
        return name(caption_of(dialog).rfind("Connecting", 0) == 0 ? templates::connecting : templates::uploading);
    }
    if (has(dialog, controls::version_now) && has(dialog, controls::text_pane)) return name(templates::success);
    return "message";
}

// How much of the screen's height its text pane takes: the staged confirm screen's
// pane is about twice as high.
double pane_share(HWND dialog)
{
    RECT client, pane;
    ::GetClientRect(dialog, &client);
    ::GetWindowRect(::GetDlgItem(dialog, controls::text_pane), &pane);
    return client.bottom > 0 ? static_cast<double>(pane.bottom - pane.top) / client.bottom : 0;
}

void screenshot(HWND window, const std::string& name)
{
    if (!shot.insert(name).second) return;
    RECT area;
    ::GetWindowRect(window, &area);
    const int width = area.right - area.left, height = area.bottom - area.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    // From the screen: what the user sees (window-only captures come out black under wine).
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    const int stride = (width * 3 + 3) & ~3;
    std::vector<std::uint8_t> rgb;
    for (int row = 0; row < height; ++row) {
        const auto* line = static_cast<const std::uint8_t*>(bits) + static_cast<long>(row) * stride;
        for (int column = 0; column < width; ++column) {
            rgb.push_back(line[column * 3 + 2]);
            rgb.push_back(line[column * 3 + 1]);
            rgb.push_back(line[column * 3]);
        }
    }
    voq::ui::win32::write_png(shots + "\\" + name + ".png", width, height, rgb);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

std::string utf8_of(const wchar_t* text)
{
    char bytes[1024] = "";
    if (text != nullptr) ::WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

void write_accessible_name(const std::string& screen, const std::string& control, HWND window)
{
    IAccessible* accessible = nullptr;
    const HRESULT found = ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                       reinterpret_cast<void**>(&accessible));
    char failure[64] = "";
    std::snprintf(failure, sizeof failure, "(no accessible object: 0x%08lx)", static_cast<unsigned long>(found));
    std::string name = failure;
    if (SUCCEEDED(found)) {
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR text = nullptr;
        name =
            SUCCEEDED(accessible->get_accName(self, &text)) && text != nullptr ? "\"" + utf8_of(text) + "\"" : "(none)";
        ::SysFreeString(text);
        accessible->Release();
    }
    std::fprintf(summary, "name %s %s %s\n", screen.c_str(), control.c_str(), name.c_str());
}

// Every control of the screen in template order; the IPv4 field's boxes left to right.
void write_accessible_names(HWND dialog, const std::string& screen)
{
    for (HWND control = ::GetWindow(dialog, GW_CHILD); control != nullptr;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
        const std::string id = std::to_string(static_cast<short>(::GetDlgCtrlID(control)));
        write_accessible_name(screen, id, control);
        std::vector<std::pair<LONG, HWND>> boxes;
        for (HWND box = ::FindWindowExA(control, nullptr, "Edit", nullptr); box != nullptr;
             box = ::FindWindowExA(control, box, "Edit", nullptr)) {
            RECT area;
            ::GetWindowRect(box, &area);
            boxes.emplace_back(area.left, box);
        }
        std::sort(boxes.begin(), boxes.end());
        for (std::size_t k = 0; k < boxes.size() && ::GetDlgCtrlID(control) == controls::device_address; ++k)
            write_accessible_name(screen, id + "." + std::to_string(k + 1), boxes[k].second);
    }
    std::fflush(summary);
}

// Gives the program time to handle a key before the next: to move the focus after a
// character, to open or close a window after the other keys.
void settle(DWORD milliseconds = 80) { ::Sleep(milliseconds); }

// Keys go in as the keyboard's do, through the system's input queue to whichever
// window has the focus in the program at that moment (a box it has just opened, say).
void send(WORD key, WORD character, DWORD flags)
{
    INPUT input[2]{};
    for (INPUT& each : input) {
        each.type = INPUT_KEYBOARD;
        each.ki.wVk = key;
        each.ki.wScan = character != 0 ? character : static_cast<WORD>(::MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
        each.ki.dwFlags = flags;
    }
    input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof(INPUT));
}

void press(UINT key)
{
    send(static_cast<WORD>(key), 0, 0);
    settle(400);
}

// The key with Shift held down through it.
void press_shifted(UINT key)
{
    INPUT input[4]{};
    const WORD keys[4] = {VK_SHIFT, static_cast<WORD>(key), static_cast<WORD>(key), VK_SHIFT};
    for (int k = 0; k < 4; ++k) {
        input[k].type = INPUT_KEYBOARD;
        input[k].ki.wVk = keys[k];
        input[k].ki.wScan = static_cast<WORD>(::MapVirtualKeyA(keys[k], MAPVK_VK_TO_VSC));
        input[k].ki.dwFlags = k >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    ::SendInput(4, input, sizeof(INPUT));
    settle(400);
}

// Any character, as a keyboard layout or input method would deliver it.
void type(const std::string& utf8)
{
    wchar_t text[256] = L"";
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, text, 256);
    for (const wchar_t* c = text; *c != L'\0'; ++c) {
        send(0, static_cast<WORD>(*c), KEYEVENTF_UNICODE);
        settle();
    }
}

// Where a key left the focus of dialog's thread, and what the address field's boxes hold
// and select: what a key script met, for a case that goes wrong. No other text: the
// password's never goes into a file.
void note_focus(HWND dialog)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info) || info.hwndFocus == nullptr) {
        std::fputs("focus none\n", summary);
        return;
    }
    char class_name[64] = "";
    ::GetClassNameA(info.hwndFocus, class_name, sizeof class_name);
    const HWND parent = ::GetParent(info.hwndFocus);
    std::fprintf(summary, "focus %s %d in %d", class_name, ::GetDlgCtrlID(info.hwndFocus),
                 parent != nullptr ? ::GetDlgCtrlID(parent) : 0);
    const HWND field = ::GetDlgItem(dialog, controls::device_address);
    if (field != nullptr) {
        std::fputs(", address boxes", summary);
        for (HWND box = ::GetWindow(field, GW_CHILD); box != nullptr; box = ::GetWindow(box, GW_HWNDNEXT)) {
            char digits[8] = "";
            ::SendMessageA(box, WM_GETTEXT, sizeof digits, reinterpret_cast<LPARAM>(digits));
            const auto selection = static_cast<DWORD>(::SendMessageA(box, EM_GETSEL, 0, 0));
            std::fprintf(summary, " \"%s\"%s%u-%u", digits, box == info.hwndFocus ? "*" : " ",
                         static_cast<unsigned>(LOWORD(selection)), static_cast<unsigned>(HIWORD(selection)));
        }
    }
    std::fputc('\n', summary);
}

void press_keys(HWND dialog, const std::string& name, const std::string& address, const std::string& password)
{
    for (const std::string& key : voq::autopilot::keys_for(key_script, name)) {
        std::fprintf(summary, "key %s %s\n", name.c_str(), key.c_str());
        if (key == "Tab") press(VK_TAB);
        else if (key == "Return") press(VK_RETURN);
        else if (key == "Escape") press(VK_ESCAPE);
        else if (key == "Space") press(VK_SPACE);
        else if (key == "Right") press(VK_RIGHT);
        else if (key == "Down") press(VK_DOWN);
        else if (key == "Shift+Tab") press_shifted(VK_TAB);
        else if (key == "Backspace") press(VK_BACK);
        else if (voq::autopilot::is_typed_text(key)) type(voq::autopilot::typed_text(key));
        else if (key == "address") type(address);
        else if (key == "password") type(password);
        note_focus(dialog);
    }
    std::fflush(summary);
}

void act(HWND dialog, Seen& screen, const std::string& address, const std::string& password)
{
    if (keyboard_only) {
        if (screen.name == "message") {
            char text[256] = "";
            ::GetDlgItemTextA(dialog, 0xffff, text, sizeof text);
            std::fprintf(summary, "message \"%s\"\n", text);
        }
        press_keys(dialog, screen.name, address, password);
        screen.done = true;
        return;
    }
    const std::string& name = screen.name;
    const auto is = [&name](int template_id) { return name == std::to_string(template_id); };
    if (is(templates::connecting) || is(templates::waiting) || is(templates::uploading))
        return;  // progress: nothing to press
    if (is(templates::address_adapter) || is(templates::address_phone)) {
        unsigned a = 0, b = 0, c = 0, d = 0;
        std::sscanf(address.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
        ::SendDlgItemMessageA(dialog, controls::device_address, IPM_SETADDRESS, 0, MAKEIPADDRESS(a, b, c, d));
    }
    if (is(templates::password)) ::SetDlgItemTextA(dialog, controls::password, password.c_str());
    if (name == "message") {
        char text[256] = "";
        ::GetDlgItemTextA(dialog, 0xffff, text, sizeof text);
        std::fprintf(summary, "message \"%s\"\n", text);
    }
    ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    screen.done = true;
}

BOOL CALLBACK visit(HWND window, LPARAM)
{
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != program || !::IsWindowVisible(window)) return TRUE;
    // A box a screen owns ("Invalid IP Address") belongs to that screen's keys.
    if (keyboard_only && ::GetWindow(window, GW_OWNER) != nullptr) return TRUE;
    char class_name[64] = "";
    ::GetClassNameA(window, class_name, sizeof class_name);
    if (std::string(class_name) != "#32770") return TRUE;
    auto found = seen.find(window);
    if (found == seen.end()) {
        std::string name = screen_of(window);
        if (name == "confirm")
            name = std::to_string(pane_share(window) > 0.35 ? templates::confirm_staged : templates::confirm_direct);
        if (name == "address") {
            char help[512] = "";
            ::GetDlgItemTextA(window, controls::address_help, help, sizeof help);
            const bool phone = std::string(help).find("press the I button") != std::string::npos;
            name = std::to_string(phone ? templates::address_phone : templates::address_adapter);
        }
        std::fprintf(summary, "screen %s \"%s\"\n", name.c_str(), caption_of(window).c_str());
        std::fflush(summary);
        found = seen.emplace(window, Seen{name, ::GetTickCount(), false}).first;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5 && argc != 6) {
        std::fputs("usage: voq-win32-autopilot SHOTS_DIR DEVICE_ADDRESS PASSWORD PROGRAM [KEYS]\n", stderr);
        return 2;
    }
    if (argc == 6) {
        // From the wide command line: the keys may hold characters of no code page.
        int count = 0;
        wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
        char keys[2048] = "";
        if (wide != nullptr && count == 6)
            ::WideCharToMultiByte(CP_UTF8, 0, wide[5], -1, keys, sizeof keys, nullptr, nullptr);
        keyboard_only = true;
        key_script = voq::autopilot::read_key_script(keys);
    }
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    shots = argv[1];
    ::CreateDirectoryA(shots.c_str(), nullptr);
    summary = std::fopen((shots + "\\summary.txt").c_str(), "w");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::string command = std::string("\"") + argv[4] + "\"";
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        std::fprintf(stderr, "voq-win32-autopilot: cannot start %s\n", argv[4]);
        return 1;
    }
    program = started.dwProcessId;
    const DWORD began = ::GetTickCount();
    while (::WaitForSingleObject(started.hProcess, 100) == WAIT_TIMEOUT) {
        if (::GetTickCount() - began > 180000) {
            std::fputs("voq-win32-autopilot: the program did not end in time\n", stderr);
            ::TerminateProcess(started.hProcess, 3);
            return 3;
        }
        ::EnumWindows(visit, 0);
        for (auto& [window, screen] : seen) {
            // A screen is photographed once it had time to paint, then answered.
            if (screen.done || !::IsWindow(window) || ::GetTickCount() - screen.since < 600) continue;
            screenshot(window, screen.name);
            // Not with the keyboard alone, whose keys must come as soon as the screen is there.
            if (!keyboard_only && !std::exchange(screen.named, true)) write_accessible_names(window, screen.name);
            act(window, screen, argv[2], argv[3]);
        }
    }
    DWORD status = 1;
    ::GetExitCodeProcess(started.hProcess, &status);
    std::fprintf(summary, "exit %lu\n", static_cast<unsigned long>(status));
    std::fclose(summary);
    return static_cast<int>(status);
}
