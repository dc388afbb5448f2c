#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The rest of what the command-line program needs of the system: posix/ or win32/.
namespace voq::cli::system {

// The netmask of the interface whose network holds address (host order).
std::optional<std::uint32_t> netmask_of(std::uint32_t address);

// The program that holds UDP port on address (or on every address), as "name (process
// N)"; nothing when this PC does not tell (another user's process, without the right
// to look at it).
std::optional<std::string> udp_port_holder(std::uint32_t address, std::uint16_t port);

// This program's own file, to start it again for each device of a list.
std::string own_program_path();

// An environment variable's value; on Windows read wide and given as UTF-8, since the
// ANSI form would have replaced what the code page lacks. Nothing when unset or empty.
std::optional<std::string> environment_text(const char* name);

struct ChildResult {
    int status;          // the exit status; 128 and the signal's number when a signal ended it; -1 when it never ran
    std::string output;  // what it wrote on standard output
};

// Runs arguments (the program first) with standard input empty, standard output
// collected, and standard error passed through or dropped. The child never outlives
// this process, and the signal that interrupts this process is passed on to it once.
ChildResult run_child(const std::vector<std::string>& arguments, bool pass_errors);

// For a child of run_child: ends this process when parent, the process that started
// it, ends (on Windows the parent's job object does it).
void end_with_parent(long parent);

// This process's id, for its children's end_with_parent.
long own_process_id();

}  // namespace voq::cli::system
