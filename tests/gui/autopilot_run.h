#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/child_process.h"
#include "support/files.h"

namespace voq::test {

// The autopilot on the offscreen platform; prefix goes before it on the command line
// (another user to run it as, say), program replaces the build's own copy.
inline CommandResult autopilot(const std::string& arguments, const std::string& prefix = {},
                               const std::string& program = VOQ_AUTOPILOT)
{
    return run_command(prefix + " env QT_QPA_PLATFORM=offscreen timeout 120 " + program + " " + arguments + " 2>&1");
}

}  // namespace voq::test
