// voq-device-sim: a simulated VOQ device for development, demonstrations and tests.

#include <csignal>
#include <cstdio>
#include <string>

#include "sim/device.h"
#include "sim/options.h"

namespace {

void print_line(std::string_view text)
{
    std::fprintf(stdout, "voq-device-sim: %.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    auto parsed = voq::sim::parse_options(argc, argv);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        std::fprintf(stderr, "voq-device-sim: %s\n%s", problem->c_str(), voq::sim::usage_text().c_str());
        return 2;
    }
    auto& options = std::get<voq::sim::Options>(parsed);
    if (options.help) {
        std::fputs(voq::sim::usage_text().c_str(), stdout);
        return 0;
    }

    // Wait for the end with the signals blocked in every thread.
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);

    options.device.web.log = print_line;
    voq::sim::SimulatedDevice device(options.device);
    std::string problem;
    if (!device.start(problem)) {
        std::fprintf(stderr, "voq-device-sim: %s\n", problem.c_str());
        return 1;
    }
    std::fputs(("voq-device-sim: " + voq::sim::describe(options.device)).c_str(), stdout);
    std::fflush(stdout);

    int signal_number = 0;
    sigwait(&ending, &signal_number);
    print_line("stopping");
    device.stop();
    return 0;
}
