#pragma once

namespace voq::platform {

// Ends the whole process with exit status 0 from any thread, at once: threads that are
// still blocked in a socket call are not waited for and their objects not destroyed.
[[noreturn]] void end_process();

// The same, with the exit status given: for the command-line program, whose status
// tells a script how the run ended.
[[noreturn]] void end_process_with_status(int status);

// Whether the process runs as root (effective user 0), which binds any port; never on
// Windows, where no port needs a privilege.
bool runs_as_root();

}  // namespace voq::platform
