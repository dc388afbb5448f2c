#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace voq::bench {

// A program the benchmark starts, whose standard output it can read line by line,
// whose CPU time it can sample while it runs, and whose peak memory it learns when it
// ends. Killed, if still running, when the object goes.
class WatchedProgram {
public:
    // environment: extra NAME=value entries on top of this process's own.
    WatchedProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {});
    WatchedProgram(const WatchedProgram&) = delete;
    WatchedProgram& operator=(const WatchedProgram&) = delete;
    ~WatchedProgram();

    bool started() const { return pid_ > 0; }

    // Reads output until a line containing text, at most timeout_ms; false if none came.
    bool wait_for_line(const std::string& text, unsigned timeout_ms);

    // User and system CPU time used so far by all its threads, in milliseconds.
    double cpu_milliseconds() const;
    // The same for its first thread alone (for a Qt program, the GUI thread).
    double first_thread_cpu_milliseconds() const;

    struct Ending {
        bool exited = false;  // by itself, within the time allowed
        int status = -1;
        long peak_kib = 0;  // its largest resident set
    };
    // Waits at most timeout_ms for the program to end, then kills it.
    Ending finish(unsigned timeout_ms);

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string pending_;
};

}  // namespace voq::bench
