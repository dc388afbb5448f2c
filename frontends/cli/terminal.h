#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

// What the command-line program needs of the console: posix/ or win32/ supplies it.
namespace voq::cli::terminal {

bool is_terminal(std::FILE* stream);

// Ctrl+C sets the flag that the screens read as their Cancel; a second Ctrl+C, for a
// run that does not come to a screen soon enough, ends the process at once with 130.
void install_interrupt_handler();
bool interrupted();

// A line typed on standard input, without its line end; without echo for a password.
// Typed on a Windows console, it comes as UTF-8.
// Nothing at the end of input or on Ctrl+C. prompt shows the question once echo is
// off, so that what is typed ahead of the read is not shown either.
std::optional<std::string> read_line(bool echo, const std::function<void()>& prompt);

}  // namespace voq::cli::terminal
