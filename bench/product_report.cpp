#include "bench/product_report.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/machine.h"
#include "bench/statistics.h"
#include "bench/watched_program.h"
#include "firmware/embedded.h"
#include "firmware/image.h"
#include "platform/clock.h"
#include "session/settings.h"
#include "tftp/completion.h"

namespace voq::bench {

namespace {

constexpr const char* device_address = "127.0.201.2";
constexpr const char* pc_address = "127.0.201.1";
constexpr const char* password = "voq-bench";
constexpr unsigned sample_ms = 20000;  // CPU time comes in 10 ms ticks

struct Programs {
    std::string device;
    std::string desktop;
    std::string shots;
};

WatchedProgram start_device(const Programs& programs, bool never_request, unsigned restart_ms = 1000)
{
    // No lingering after the last block, so that "received" follows it at once.
    std::vector<std::string> arguments{programs.device,
                                       "--address",
                                       device_address,
                                       "--password",
                                       password,
                                       "--restart-time",
                                       std::to_string(restart_ms),
                                       "--linger",
                                       "0"};
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

struct CpuShare {
    double whole = -1;       // ms a second, all threads
    double gui_thread = -1;  // of which the GUI thread's
};

// CPU per second of the program while it sits where it is.
CpuShare cpu_per_second(const WatchedProgram& program)
{
    const double before = program.cpu_milliseconds();
    const double gui_before = program.first_thread_cpu_milliseconds();
    const std::uint32_t start = platform::milliseconds();
    platform::sleep_milliseconds(sample_ms);
    const double seconds = (platform::milliseconds() - start) / 1e3;
    return {(program.cpu_milliseconds() - before) / seconds,
            (program.first_thread_cpu_milliseconds() - gui_before) / seconds};
}

std::string summary_of(const Programs& programs)
{
    std::ifstream file(programs.shots + "/summary.txt");
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

struct Figures {
    std::vector<double> transfer_ms;
    CpuShare waiting;
    CpuShare restart;
    long upgrade_peak_kib = 0;
    long screens_peak_kib = 0;
};

bool measure_waiting(const Programs& programs, Figures& figures)
{
    WatchedProgram device = start_device(programs, true);
    platform::sleep_milliseconds(300);
    WatchedProgram desktop = start_desktop(programs, tftp::restart_wait_units(session::settings::restart_wait_ms));
    // Told to fetch, the device never asks: from here the waiting screen is up.
    if (!device.wait_for_line("never asking", 20000)) return false;
    platform::sleep_milliseconds(500);
    figures.waiting = cpu_per_second(desktop);
    return true;
}

bool measure_upgrade(const Programs& programs, Figures& figures)
{
    WatchedProgram device = start_device(programs, false);
    platform::sleep_milliseconds(300);
    // A restart wait long enough for the sample, shorter than the product's.
    const int restart_wait_units = tftp::restart_wait_units(sample_ms + 3000);
    WatchedProgram desktop = start_desktop(programs, restart_wait_units);
    // The device has its image: from here the uploading screen counts the restart.
    if (!device.wait_for_line("received ", 30000)) return false;
    platform::sleep_milliseconds(500);
    figures.restart = cpu_per_second(desktop);
    const WatchedProgram::Ending ending = desktop.finish(30000);
    figures.upgrade_peak_kib = ending.peak_kib;
    return ending.exited && ending.status == 0 && summary_of(programs).find("screen 111") != std::string::npos;
}

// Whole upgrades with short restarts, each transfer timed from the device's side: from
// its read request to its last acknowledgement, as the benchmark's own clients are.
bool measure_transfers(const Programs& programs, Figures& figures)
{
    constexpr int runs = 7;
    for (int run = 0; run < runs; ++run) {
        WatchedProgram device = start_device(programs, false, 200);
        platform::sleep_milliseconds(300);
        WatchedProgram desktop = start_desktop(programs, 16);
        if (!device.wait_for_line("asked for ", 30000)) return false;
        const auto asked = std::chrono::steady_clock::now();
        if (!device.wait_for_line("received ", 30000)) return false;
        const auto received = std::chrono::steady_clock::now();
        figures.transfer_ms.push_back(std::chrono::duration<double, std::milli>(received - asked).count());
        const WatchedProgram::Ending ending = desktop.finish(30000);
        if (!ending.exited || ending.status != 0) return false;
    }
    return true;
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
    const Spread transfer = spread_of(figures.transfer_ms);
    std::printf(
        "Its transfer of the target image (%zu runs, timed by the device from its read request to its last "
        "acknowledgement): median %.1f ms, fastest %.1f ms, slowest %.1f ms.\n\n",
        figures.transfer_ms.size(), transfer.median, transfer.minimum, transfer.maximum);
    std::printf(
        "| while it shows | CPU ms a second | share of one core | of which the GUI thread, ms |\n"
        "|---|---:|---:|---:|\n");
    std::printf("| the waiting screen (114), the device not asking | %.1f | %.2f%% | %.1f |\n", figures.waiting.whole,
                figures.waiting.whole / 10, figures.waiting.gui_thread);
    std::printf("| the uploading screen counting the restart (110) | %.1f | %.2f%% | %.1f |\n\n", figures.restart.whole,
                figures.restart.whole / 10, figures.restart.gui_thread);
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
    const Programs programs{build_dir + "/sim/voq-device-sim", build_dir + "/drivers/qt/voq-upgrade-autopilot", shots};
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
    const bool transfers = measure_transfers(programs, figures);
    if (!transfers) std::fprintf(stderr, "voq-bench: an upgrade for the transfer times did not run to its end\n");
    const bool screens = measure_screens(programs, figures);
    if (!screens) std::fprintf(stderr, "voq-bench: the screens alone did not run to their end\n");
    print(figures);
    std::error_code ignored;
    std::filesystem::remove_all(shots, ignored);
    return waiting && upgrade && transfers && screens;
}

}  // namespace voq::bench
