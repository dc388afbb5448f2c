#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

// The console as the command-line program uses it.
namespace voq::platform::terminal {

bool is_terminal(std::FILE* stream);

// Ctrl+C, SIGTERM and SIGHUP (on Windows: Ctrl+C or Ctrl+Break, closing the console,
// logging off) set the flag that the screens read as their Cancel; a second one, for a
// run that does not come to a screen soon enough, ends the process at once with 128
// and the signal's number. A closed standard output no longer ends the process: only
// what is written is lost.
void install_interrupt_handler();
bool interrupted();
// The signal that interrupted: 2 (SIGINT), 15 (SIGTERM) or 1 (SIGHUP); 0 before any.
int interrupting_signal();
// POSIX: a descriptor that turns readable once interrupting_signal has one, and stays so,
// for a wait on something else to end with it. -1 on Windows, and before the handler.
int interrupt_descriptor();

// The columns of the terminal stream writes to; 0 when unknown or not a terminal.
std::size_t columns(std::FILE* stream);

// A line typed on standard input, without its line end; without echo for a password.
// Typed on a Windows console, it comes as UTF-8.
// Nothing at the end of input or on Ctrl+C. prompt shows the question once echo is
// off, so that what is typed ahead of the read is not shown either.
std::optional<std::string> read_line(bool echo, const std::function<void()>& prompt);

}  // namespace voq::platform::terminal
