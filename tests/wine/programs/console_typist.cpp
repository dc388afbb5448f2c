// voq-console-typist.exe TEXT PROGRAM [ARGUMENT...]
// Runs PROGRAM on a console of its own, with TEXT and Return typed on that console's
// keyboard beforehand, as a person types ahead of a prompt: PROGRAM reads them from the
// console input, through the console API, as from a real keyboard. Its output and
// errors go where the typist's go, never through the console's screen, so that what it
// writes arrives unchanged. Ends with PROGRAM's status; 125 when the console or the
// program cannot be had, 124 when PROGRAM has not ended within two minutes.
//
// A Unix pipe on standard input is no console, so under wine a prompt for a password
// is never shown there: this is how a test reaches it.

// windows.h first: shellapi.h uses its types.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD longest_run_ms = 120000;
constexpr std::size_t longest_text = 512;

// A key pressed and released, carrying the character it types.
void add_key(std::vector<INPUT_RECORD>& keys, wchar_t character, WORD virtual_key)
{
    for (const BOOL down : {TRUE, FALSE}) {
        INPUT_RECORD record{};
        record.EventType = KEY_EVENT;
        record.Event.KeyEvent.bKeyDown = down;
        record.Event.KeyEvent.wRepeatCount = 1;
        record.Event.KeyEvent.wVirtualKeyCode = virtual_key;
        record.Event.KeyEvent.uChar.UnicodeChar = character;
        keys.push_back(record);
    }
}

// Each argument in quotes; one with a quote of its own would need the escapes that
// no test needs, and is refused instead.
bool command_line(int count, wchar_t** arguments, std::wstring& line)
{
    for (int k = 0; k < count; ++k) {
        const std::wstring argument = arguments[k];
        if (argument.find(L'"') != std::wstring::npos || (!argument.empty() && argument.back() == L'\\')) return false;
        if (!line.empty()) line += L' ';
        line += L'"' + argument + L'"';
    }
    return true;
}

HANDLE inheritable(HANDLE handle)
{
    HANDLE copy = nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

}  // namespace

int main()
{
    // From the wide command line: the text may hold characters of no code page.
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 3) {
        std::fputs("usage: voq-console-typist TEXT PROGRAM [ARGUMENT...]\n", stderr);
        return 125;
    }
    const std::wstring text = argv[1];
    std::wstring command;
    if (text.size() > longest_text || !command_line(argc - 2, argv + 2, command)) {
        std::fputs("voq-console-typist: the text is too long, or an argument holds a quote or ends in a backslash\n",
                   stderr);
        return 125;
    }
    // Taken before the console replaces them.
    HANDLE output = inheritable(::GetStdHandle(STD_OUTPUT_HANDLE));
    HANDLE error = inheritable(::GetStdHandle(STD_ERROR_HANDLE));

    ::FreeConsole();
    if (!::AllocConsole()) {
        std::fprintf(stderr, "voq-console-typist: no console (error %lu)\n", ::GetLastError());
        return 125;
    }
    SECURITY_ATTRIBUTES shared{sizeof shared, nullptr, TRUE};
    HANDLE keyboard = ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &shared, OPEN_EXISTING, 0, nullptr);
    if (keyboard == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "voq-console-typist: no console input (error %lu)\n", ::GetLastError());
        return 125;
    }
    std::vector<INPUT_RECORD> keys;
    for (const wchar_t character : text) add_key(keys, character, 0);
    add_key(keys, L'\r', VK_RETURN);
    DWORD written = 0;
    if (!::WriteConsoleInputW(keyboard, keys.data(), static_cast<DWORD>(keys.size()), &written) ||
        written != keys.size()) {
        std::fprintf(stderr, "voq-console-typist: the keys did not go in (error %lu)\n", ::GetLastError());
        return 125;
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = keyboard;
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
        std::fprintf(stderr, "voq-console-typist: cannot start the program (error %lu)\n", ::GetLastError());
        return 125;
    }
    ::CloseHandle(started.hThread);
    if (::WaitForSingleObject(started.hProcess, longest_run_ms) != WAIT_OBJECT_0) {
        std::fputs("voq-console-typist: the program did not end in time\n", stderr);
        ::TerminateProcess(started.hProcess, 124);
        return 124;
    }
    DWORD status = 125;
    ::GetExitCodeProcess(started.hProcess, &status);
    return static_cast<int>(status);
}
