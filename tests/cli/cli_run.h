#pragma once

#include <csignal>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "support/child_process.h"
#include "support/files.h"

namespace voq::test {

// What one run of voq-upgrade-cli left behind.
struct CliRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    bool hung = false;
    std::string out, err;  // standard output and error; on a terminal both are in out
};

struct Environment {
    std::vector<std::pair<std::string, std::string>> set;  // the password, for one
};

namespace detail {

// The program's command line; under wine, wine's.
inline std::vector<std::string> cli_command(const std::vector<std::string>& arguments, const char* program = VOQ_CLI)
{
    std::vector<std::string> command{program};
#if defined(VOQ_CLI_LAUNCHER)
    command.insert(command.begin(), VOQ_CLI_LAUNCHER);  // wine, for the Windows build
#endif
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

// A password reaches a run only when the test gives one.
inline ChildEnvironment cli_environment(const Environment& environment)
{
    return {environment.set, {"VOQ_UPGRADE_PASSWORD"}};
}

[[noreturn]] inline void exec_cli(const std::vector<std::string>& arguments, const Environment& environment,
                                  const char* program = VOQ_CLI)
{
    become(cli_command(arguments, program), cli_environment(environment));
}

// Waits for child until deadline_ms from started; kills it past that.
inline void reap(pid_t child, std::uint32_t started, unsigned deadline_ms, CliRun& run)
{
    const Ending ending = reap_by_deadline(child, started, deadline_ms);
    run.status = ending.status;
    run.hung = ending.hung;
}

}  // namespace detail

// Starts the program with these arguments, every stream /dev/null, and leaves it to the
// test to end and reap; -1 when it could not be started.
inline pid_t start_cli(const std::vector<std::string>& arguments)
{
    return start_child(detail::cli_command(arguments), {"/dev/null", "/dev/null", "/dev/null"},
                       detail::cli_environment({}));
}

// Runs the program with these arguments, standard input empty and no terminal. When
// interrupt_after is given, Ctrl+C (SIGINT, or the signal given) reaches it once its
// output (standard output and error) holds that text. Another build of the program may
// stand in (the staged one).
inline CliRun run_cli(const std::vector<std::string>& arguments, const Environment& environment = {},
                      unsigned deadline_ms = 60000, const std::string& interrupt_after = "",
                      const char* program = VOQ_CLI, int signal = SIGINT)
{
    static int serial = 0;
    const std::string base = "/tmp/voq-cli-test-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
    const std::string out_path = base + ".out", err_path = base + ".err";
    CliRun run;
    const std::uint32_t started = platform::milliseconds();
    const pid_t child = start_child(detail::cli_command(arguments, program), {"/dev/null", out_path, err_path},
                                    detail::cli_environment(environment));
    if (child < 0) return run;
    if (!interrupt_after.empty()) {
        while ((read_file(out_path) + read_file(err_path)).find(interrupt_after) == std::string::npos &&
               platform::milliseconds() - started < deadline_ms && ::waitpid(child, nullptr, WNOHANG) == 0)
            platform::sleep_milliseconds(10);
        ::kill(child, signal);
    }
    detail::reap(child, started, deadline_ms, run);
    run.out = read_file(out_path);
    run.err = read_file(err_path);
    std::remove(out_path.c_str());
    std::remove(err_path.c_str());
    return run;
}

// Runs the program on a pseudo-terminal (of so many columns, when given): when its
// output (after the previous answer) shows an exchange's prompt, the exchange's answer
// is typed, line end included; Ctrl+C or Ctrl+D alone is typed as a person types it,
// without one.
inline CliRun run_cli_on_terminal(const std::vector<std::string>& arguments,
                                  const std::vector<std::pair<std::string, std::string>>& exchanges,
                                  unsigned deadline_ms = 60000, unsigned short columns = 0)
{
    CliRun run;
    int terminal = -1;
    winsize size{};
    size.ws_row = 24;
    size.ws_col = columns;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, columns == 0 ? nullptr : &size);
    if (child < 0) return run;
    if (child == 0) detail::exec_cli(arguments, {});
    const std::uint32_t started = platform::milliseconds();
    std::size_t next = 0, answered_at = 0;
    while (platform::milliseconds() - started < deadline_ms) {
        pollfd watched{terminal, POLLIN, 0};
        if (::poll(&watched, 1, 50) > 0) {
            char chunk[4096];
            const ssize_t got = ::read(terminal, chunk, sizeof chunk);
            if (got <= 0) break;  // the program has gone and the terminal with it
            run.out.append(chunk, static_cast<std::size_t>(got));
        }
        if (next < exchanges.size() && run.out.find(exchanges[next].first, answered_at) != std::string::npos) {
            answered_at = run.out.size();
            const std::string& answer = exchanges[next++].second;
            const bool control_key = answer == "\x03" || answer == "\x04";
            const std::string typed = control_key ? answer : answer + "\n";
            (void)::write(terminal, typed.data(), typed.size());
        }
    }
    detail::reap(child, started, deadline_ms, run);
    ::close(terminal);
    return run;
}

}  // namespace voq::test
