#pragma once

#include <functional>
#include <string>
#include <vector>

// Other programs run to their end from this one: the programs a benchmark or a test
// measures.
namespace voq::platform {

struct ChildRun {
    int status = -1;     // the exit status; 128 and the signal's number when a signal ended it; -1 when it never ran
    std::string output;  // what it wrote on standard output, its first MiB
    double cpu_seconds = 0;  // its user and system time; on POSIX with that of the children it waited for
};

struct ChildSettings {
    bool pass_errors = false;  // its standard error passed through, or else dropped
    // Asked while the child runs: a signal to pass on to it once, 0 while there is none.
    // Such a child runs in a process group of its own, so that a signal typed at the
    // terminal reaches it once, through this process. Windows sends a console's
    // Ctrl+C to every process attached to it, and asks nothing.
    std::function<int()> signal_to_pass;
    // POSIX: readable once signal_to_pass has a signal, so that the wait sleeps until the
    // child writes or ends or the signal comes. Without one (-1) it is asked every 50 ms.
    int signal_descriptor = -1;
    // Told the child's process id as soon as it runs, for watching it from elsewhere.
    std::function<void(long child)> started;
};

// Runs arguments (the program first) with standard input empty and standard output
// collected, and waits for its end. On Windows the child never outlives this process.
ChildRun run_child(const std::vector<std::string>& arguments, const ChildSettings& settings);

// This program's own file, to start it again.
std::string own_program_path();

}  // namespace voq::platform
