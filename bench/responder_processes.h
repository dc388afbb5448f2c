#pragma once

#include <cstdint>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace voq::bench {

// This program started again as nothing but lock-step responders:
//   voq-bench-fleet --responders ADDRESS FIRST-PORT COUNT
// COUNT responders on ADDRESS, ports FIRST-PORT and up, each on a thread of its own,
// serving the image this program carries as the target. Writes one line once all are
// bound and serves until its standard input closes, so that it ends with whatever
// started it, however that ends.
inline constexpr std::string_view responders_command = "--responders";
int serve_responders(const char* address, const char* first_port, const char* count);

// count responders spread in order over processes children of this one, each this
// program with the command above, started without fork() from a process whose threads
// may run. All are bound once the constructor returns and ready() is true; all are
// gone once the destructor returns, killed when they were not ready.
class ResponderProcesses {
public:
    ResponderProcesses(std::uint32_t address, std::uint16_t first_port, unsigned count, unsigned processes);
    ResponderProcesses(const ResponderProcesses&) = delete;
    ResponderProcesses& operator=(const ResponderProcesses&) = delete;
    ~ResponderProcesses();

    bool ready() const { return ready_; }

private:
    struct Child {
        pid_t id = -1;
        int input = -1;   // its standard input: closed, it ends
        int output = -1;  // its standard output, until its line is read
    };

    std::vector<Child> children_;
    bool ready_ = false;
};

}  // namespace voq::bench
