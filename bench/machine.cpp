#include "bench/machine.h"

#include <fstream>
#include <sys/utsname.h>
#include <thread>

namespace voq::bench {

namespace {

std::string processor_name()
{
    std::ifstream info("/proc/cpuinfo");
    std::string line;
    while (std::getline(info, line)) {
        if (line.rfind("model name", 0) != 0) continue;
        const auto colon = line.find(':');
        if (colon != std::string::npos) return line.substr(line.find_first_not_of(' ', colon + 1));
    }
    return "unknown processor";
}

}  // namespace

std::string machine_description()
{
    utsname system{};
    ::uname(&system);
    return processor_name() + ", " + std::to_string(std::thread::hardware_concurrency()) + " cores, " + system.sysname +
           " " + system.release;
}

}  // namespace voq::bench
