#include "platform/terminal.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace voq::platform::terminal {

namespace {

// Read by every thread that pumps a screen, written by the handler on whichever thread
// the signal lands: an atomic, which a handler may use as long as it is lock-free.
std::atomic<int> interrupt_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);
// Its read end turns readable at the signal and stays so, never read: every thread that
// waits on it wakes, whichever thread the signal lands on, and however late it comes to wait.
int signal_came[2] = {-1, -1};

void on_interrupt(int signal)
{
    if (interrupt_signal != 0) {
        constexpr char line_end = '\n';
        (void)::write(STDERR_FILENO, &line_end, 1);
        ::_exit(128 + signal);
    }
    interrupt_signal = signal;
    const int saved = errno;
    constexpr char mark = 1;
    (void)::write(signal_came[1], &mark, 1);
    errno = saved;
}

// Puts echo back however the read ends.
class EchoOff {
public:
    EchoOff()
    {
        if (::tcgetattr(STDIN_FILENO, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        active_ = ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
    }
    ~EchoOff()
    {
        if (active_) ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    termios saved_{};
    bool active_ = false;
};

}  // namespace

bool is_terminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

void install_interrupt_handler()
{
    static std::once_flag opened;
    std::call_once(opened, [] { (void)::pipe2(signal_came, O_CLOEXEC | O_NONBLOCK); });
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a prompt's read returns at Ctrl+C
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool interrupted() { return interrupt_signal != 0; }

int interrupting_signal() { return interrupt_signal; }

int interrupt_descriptor() { return signal_came[0]; }

std::size_t columns(std::FILE* stream)
{
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}

std::optional<std::string> read_line(bool echo, const std::function<void()>& prompt)
{
    std::optional<EchoOff> no_echo;
    if (!echo) no_echo.emplace();
    prompt();
    std::string line;
    constexpr std::size_t longest = 4096;
    while (true) {
        // The signal may land on another of the process's threads, or just before the
        // read: a read that waits alone would then wait for good.
        pollfd ready[2] = {{STDIN_FILENO, POLLIN, 0}, {signal_came[0], POLLIN, 0}};
        if (interrupted()) return std::nullopt;
        const int polled = ::poll(ready, 2, -1);
        if (polled == 0 || (polled < 0 && errno == EINTR) || ready[0].revents == 0) continue;
        char c = 0;
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (interrupted()) return std::nullopt;
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return line.empty() ? std::nullopt : std::optional<std::string>(line);
        if (c == '\n') break;
        if (line.size() < longest) line += c;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace voq::platform::terminal
