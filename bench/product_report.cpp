#include "bench/product_report.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/machine.h"
#include "bench/watched_program.h"
#include "firmware/embedded.h"
#include "firmware/image.h"
#include "platform/clock.h"

namespace voq::bench {

namespace {

constexpr const char* device_address = "127.0.201.2";
constexpr const char* pc_address = "127.0.201.1";
constexpr const char* password = "voq-bench";
constexpr unsigned sample_ms = 10000;

struct Programs {
    std::string device;
    std::string desktop;
    std::string shots;
};

WatchedProgram start_device(const Programs& programs, bool never_request)
{
    std::vector<std::string> arguments{programs.device, "--address", device_address, "--password", password,
                                       "--restart-time", "1000"};
    if (never_request) arguments.push_back("--never-request");
    return WatchedProgram(arguments);
}

WatchedProgram start_desktop(const Programs& programs, int restart_wait_units, bool gallery = false)
{
    std::vector<std::string> arguments{programs.desktop, "--shots", programs.shots};
    if (gallery) {
        arguments.push_back("--gallery");
    } else {
        arguments.insert(arguments.end(), {"--address", device_address, "--password", password, "--local-address",
                                           pc_address, "--restart-wait-units", std::to_string(restart_wait_units)});
    }
    return WatchedProgram(arguments, {"QT_QPA_PLATFORM=offscreen"});
}

// CPU per second of the program while it sits where it is.
double cpu_ms_per_second(const WatchedProgram& program)
{
    const double before = program.cpu_milliseconds();
    const std::uint32_t start = platform::milliseconds();
    platform::sleep_milliseconds(sample_ms);
    const double seconds = (platform::milliseconds() - start) / 1e3;
    return (program.cpu_milliseconds() - before) / seconds;
}

std::string summary_of(const Programs& programs)
{
    std::ifstream file(programs.shots + "/summary.txt");
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

struct Figures {
    double waiting_cpu = -1;
    double restart_cpu = -1;
    long upgrade_peak_kib = 0;
    long screens_peak_kib = 0;
};

bool measure_waiting(const Programs& programs, Figures& figures)
{
    WatchedProgram device = start_device(programs, true);
    platform::sleep_milliseconds(300);
    WatchedProgram desktop = start_desktop(programs, 937);
    // Told to fetch, the device never asks: from here the waiting screen is up.
    if (!device.wait_for_line("never asking", 20000)) return false;
    platform::sleep_milliseconds(500);
    figures.waiting_cpu = cpu_ms_per_second(desktop);
    return true;
}

bool measure_upgrade(const Programs& programs, Figures& figures)
{
    WatchedProgram device = start_device(programs, false);
    platform::sleep_milliseconds(300);
    // A restart wait long enough for the sample, shorter than the product's.
    const int restart_wait_units = static_cast<int>((sample_ms + 3000) / 32);
    WatchedProgram desktop = start_desktop(programs, restart_wait_units);
    // The device has its image: from here the uploading screen counts the restart.
    if (!device.wait_for_line("received ", 30000)) return false;
    platform::sleep_milliseconds(500);
    figures.restart_cpu = cpu_ms_per_second(desktop);
    const WatchedProgram::Ending ending = desktop.finish(30000);
    figures.upgrade_peak_kib = ending.peak_kib;
    return ending.exited && ending.status == 0 && summary_of(programs).find("screen 111") != std::string::npos;
}

bool measure_screens(const Programs& programs, Figures& figures)
{
    WatchedProgram desktop = start_desktop(programs, 0, true);
    const WatchedProgram::Ending ending = desktop.finish(60000);
    figures.screens_peak_kib = ending.peak_kib;
    return ending.exited && ending.status == 0;
}

void print(const Figures& figures)
{
    const double target_kib = static_cast<double>(fw::embedded_image(fw::target_image_id).size()) / 1024;
    const double transition_kib = static_cast<double>(fw::embedded_image(fw::transition_image_id).size()) / 1024;
    std::printf("## The Linux program\n\nTaken on: %s; Qt's offscreen platform, its automatic user.\n\n",
                machine_description().c_str());
    std::printf("| while it shows | CPU ms a second | share of one core |\n|---|---:|---:|\n");
    std::printf("| the waiting screen (114), the device not asking | %.1f | %.2f%% |\n", figures.waiting_cpu,
                figures.waiting_cpu / 10);
    std::printf("| the uploading screen counting the restart (110) | %.1f | %.2f%% |\n\n", figures.restart_cpu,
                figures.restart_cpu / 10);
    std::printf("| peak resident memory | KiB |\n|---|---:|\n");
    std::printf("| a whole upgrade, to the success screen | %ld |\n", figures.upgrade_peak_kib);
    std::printf("| every screen once, no upgrade (the toolkit and the screens) | %ld |\n", figures.screens_peak_kib);
    std::printf("| difference | %ld |\n", figures.upgrade_peak_kib - figures.screens_peak_kib);
    std::printf("| embedded images: target, transition | %.0f, %.0f |\n\n", target_kib, transition_kib);
}

}  // namespace

bool report_product(const std::string& build_dir)
{
    char shots[] = "/tmp/voq-bench-shots-XXXXXX";
    if (::mkdtemp(shots) == nullptr) return false;
    const Programs programs{build_dir + "/sim/voq-device-sim", build_dir + "/ui/qt/voq-upgrade-autopilot", shots};
    if (::access(programs.desktop.c_str(), X_OK) != 0 || ::access(programs.device.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "voq-bench: %s and %s must be built first\n", programs.device.c_str(),
                     programs.desktop.c_str());
        return false;
    }
    Figures figures;
    const bool waiting = measure_waiting(programs, figures);
    if (!waiting) std::fprintf(stderr, "voq-bench: the program never reached its waiting screen\n");
    const bool upgrade = measure_upgrade(programs, figures);
    if (!upgrade) std::fprintf(stderr, "voq-bench: the upgrade did not end on the success screen\n");
    const bool screens = measure_screens(programs, figures);
    if (!screens) std::fprintf(stderr, "voq-bench: the screens alone did not run to their end\n");
    print(figures);
    std::system(("rm -rf " + std::string(shots)).c_str());
    return waiting && upgrade && screens;
}

}  // namespace voq::bench
