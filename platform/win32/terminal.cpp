#include "platform/terminal.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <io.h>
#include <string>
#include <string_view>

namespace voq::platform::terminal {

namespace {

std::atomic<int> interrupt_signal{0};

// The POSIX signal an event stands for, so that a script sees one status everywhere.
int signal_of(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return 2;
    case CTRL_CLOSE_EVENT:
        return 1;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        return 15;
    default:
        return 0;
    }
}

BOOL WINAPI on_console_event(DWORD event)
{
    const int signal = signal_of(event);
    if (signal == 0) return FALSE;
    int none = 0;
    if (!interrupt_signal.compare_exchange_strong(none, signal)) ::ExitProcess(128 + static_cast<UINT>(signal));
    return TRUE;
}

// Puts echo back however the read ends.
class EchoOff {
public:
    explicit EchoOff(HANDLE input) : input_(input)
    {
        if (!::GetConsoleMode(input_, &saved_)) return;
        active_ = ::SetConsoleMode(input_, saved_ & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) != 0;
    }
    ~EchoOff()
    {
        if (active_) ::SetConsoleMode(input_, saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
    bool active() const { return active_; }

private:
    HANDLE input_;
    DWORD saved_ = 0;
    bool active_ = false;
};

std::string utf8_of(std::wstring_view wide)
{
    if (wide.empty()) return {};
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
    return text;
}

// One line, its end taken off, at most 4096 characters kept; nothing at once when
// interrupted, or at the input's end before any character.
template <typename Char, typename ReadOne>
std::optional<std::basic_string<Char>> read_to_line_end(ReadOne read_one)
{
    std::basic_string<Char> line;
    constexpr std::size_t longest = 4096;
    while (true) {
        Char c = 0;
        const bool read = read_one(c);
        if (interrupted()) return std::nullopt;
        if (!read) return line.empty() ? std::nullopt : std::optional(line);
        if (c == Char('\n')) break;
        if (line.size() < longest) line += c;
    }
    if (!line.empty() && line.back() == Char('\r')) line.pop_back();
    return line;
}

// Typed on a console, read as typed: the console's OEM code page holds other bytes
// for the same letters than the ANSI code page the desktop program sends.
std::optional<std::string> read_console_line(HANDLE input)
{
    const auto typed = read_to_line_end<wchar_t>([input](wchar_t& c) {
        DWORD got = 0;
        return ::ReadConsoleW(input, &c, 1, &got, nullptr) && got != 0;
    });
    if (!typed) return std::nullopt;
    return utf8_of(*typed);
}

}  // namespace

bool is_terminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

void install_interrupt_handler() { ::SetConsoleCtrlHandler(on_console_event, TRUE); }

bool interrupted() { return interrupt_signal.load() != 0; }

int interrupting_signal() { return interrupt_signal.load(); }

int interrupt_descriptor() { return -1; }

std::size_t columns(std::FILE* stream)
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    if (!::GetConsoleScreenBufferInfo(handle, &info)) return 0;
    return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

std::optional<std::string> read_line(bool echo, const std::function<void()>& prompt)
{
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    std::optional<EchoOff> no_echo;
    if (!echo) no_echo.emplace(input);
    prompt();
    DWORD mode = 0;
    if (::GetConsoleMode(input, &mode)) {
        const auto typed = read_console_line(input);
        if (no_echo && no_echo->active()) ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), "\r\n", 2, nullptr, nullptr);
        return typed;
    }
    // Not a console, so echo was never turned off: nothing to end the silent line with.
    return read_to_line_end<char>([input](char& c) {
        DWORD got = 0;
        return ::ReadFile(input, &c, 1, &got, nullptr) && got != 0;
    });
}

}  // namespace voq::platform::terminal
