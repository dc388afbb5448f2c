// voq-bench-fleet: many simulated devices upgraded at once by voq-upgrade-cli --devices
// from one PC address, --parallel equal to their number; the wall time against one
// device's, the program's CPU time and its resident memory at most. Every image is
// checked byte for byte. Figures are printed as Markdown. Needs port 80 on many loopback addresses (root, or unshare
// -rn), and uses 127.2.0.0/16 alone. The floor's responders are this program again, started with a sub-command of its
// own (bench/responder_processes.h).
//
//   voq-bench-fleet --program PATH [--sizes 1,10,50,100]

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <memory>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "bench/fleet_floor.h"
#include "bench/fleet_timeline.h"
#include "bench/responder_processes.h"
#include "firmware/embedded.h"
#include "firmware/image.h"
#include "frontends/cli/fleet/devices_file.h"
#include "platform/child_process.h"
#include "platform/clock.h"
#include "sim/device.h"
#include "ui/texts.h"
#include "ui/views.h"

namespace {

constexpr std::uint32_t pc_address = 0x7f020001;  // 127.2.0.1

// 127.2.1.1 and up, two hundred a /24.
std::uint32_t device_address(unsigned index) { return 0x7f020000u | (1 + index / 200) << 8 | (1 + index % 200); }

struct FleetRun {
    unsigned devices = 0;
    double wall_s = 0;
    double cpu_s = 0;
    long program_kib = 0;         // the list's process, its high-water mark
    double simulators_cpu_s = 0;  // this process: the simulated devices, their clients and servers
    double sampler_cpu_s = 0;     // of that, reading the memory figures from /proc
    unsigned upgraded = 0;        // as the program reported
    unsigned intact = 0;          // images that arrived byte for byte
    int status = -1;
};

double cpu_seconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long status_field_kib(pid_t pid, const char* field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    const std::string key = std::string(field) + ":";
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + key.size());
    return 0;
}

// Memory is read from /proc while the run goes: the resource usage that wait4 gives
// counts the benchmark's own pages in a child before its exec.
void sample_memory(pid_t parent, FleetRun& run, const std::atomic<bool>& done)
{
    const double cpu_before = cpu_seconds(RUSAGE_THREAD);
    while (!done.load()) {
        run.program_kib = std::max(run.program_kib, status_field_kib(parent, "VmHWM"));
        voq::platform::sleep_milliseconds(100);
    }
    run.sampler_cpu_s = cpu_seconds(RUSAGE_THREAD) - cpu_before;
}

FleetRun run_fleet(const std::string& program, unsigned count, const std::vector<std::uint8_t>& image,
                   voq::bench::FleetTimeline& timeline)
{
    FleetRun run;
    run.devices = count;
    std::vector<std::unique_ptr<voq::sim::SimulatedDevice>> devices;
    const std::string list = "/tmp/voq-bench-fleet-" + std::to_string(::getpid()) + ".txt";
    std::ofstream file(list);
    for (unsigned i = 0; i < count; ++i) {
        voq::sim::DeviceConfig config;
        config.web.address = device_address(i);
        config.tftp.restart_ms = 1000;
        config.web.log = timeline.log_of(i);
        devices.push_back(std::make_unique<voq::sim::SimulatedDevice>(config));
        std::string problem;
        if (!devices.back()->start(problem)) {
            std::fprintf(stderr, "voq-bench-fleet: device %u: %s\n", i, problem.c_str());
            return run;
        }
        file << voq::ui::dotted(device_address(i)) << "\n";
    }
    file.close();

    const std::string parallel = std::to_string(count), pc = voq::ui::dotted(pc_address);
    const std::vector<std::string> arguments{program,  "--devices",       list, "--parallel",     parallel, "--yes",
                                             "--json", "--local-address", pc,   "--restart-wait", "2"};
    const std::uint32_t started = voq::platform::milliseconds();
    timeline.begin(started);
    const double own_cpu_before = cpu_seconds(RUSAGE_SELF);
    std::atomic<bool> done{false};
    std::thread sampler;
    voq::platform::ChildSettings settings;
    settings.started = [&](long child) {
        sampler = std::thread(sample_memory, static_cast<pid_t>(child), std::ref(run), std::cref(done));
    };
    const voq::platform::ChildRun child = voq::platform::run_child(arguments, settings);
    done.store(true);
    if (sampler.joinable()) sampler.join();
    if (child.status < 0) return run;
    const std::string& reports = child.output;
    run.wall_s = (voq::platform::milliseconds() - started) / 1000.0;
    run.simulators_cpu_s = cpu_seconds(RUSAGE_SELF) - own_cpu_before;
    run.cpu_s = child.cpu_seconds;
    run.status = child.status;
    std::istringstream lines(reports);
    for (std::string line; std::getline(lines, line);)
        run.upgraded += line.find("\"outcome\":\"upgraded\"") != std::string::npos;
    for (auto& device : devices) {
        const auto fetches = device->fetches();
        run.intact += fetches.size() == 1 && fetches[0].complete && fetches[0].bytes == image;
    }
    std::remove(list.c_str());
    return run;
}

// The devices file read and checked for duplicates: lines of distinct addresses, the
// last one a repeat of the first, which only a check of every line finds.
void devices_file_report()
{
    std::printf("## A devices file read and checked (voq-upgrade-cli --devices)\n\n");
    std::printf("| lines | ms | us a line |\n|---:|---:|---:|\n");
    for (const std::uint32_t lines : {1000u, 10000u, 100000u}) {
        std::string contents;
        for (std::uint32_t i = 0; i < lines; ++i)
            contents += "10." + std::to_string(i >> 16 & 0xff) + "." + std::to_string(i >> 8 & 0xff) + "." +
                        std::to_string(i & 0xff) + " admin pw\n";
        contents += "10.0.0.0\n";
        const std::uint32_t started = voq::platform::milliseconds();
        const voq::cli::DevicesList list =
            voq::cli::parse_devices(contents, std::string(voq::ui::text::default_user_name));
        const std::uint32_t took = voq::platform::milliseconds() - started;
        std::printf("| %u | %u | %.2f |%s\n", lines, took, 1000.0 * took / lines,
                    list.problem.empty() ? " (repeat not found!)" : "");
    }
    std::printf("\n");
}

std::string timeline_row(unsigned count, const voq::bench::FleetTimeline& timeline, double wall_s)
{
    std::string row = "| " + std::to_string(count) + " |";
    for (std::size_t k = 0; k < voq::bench::step_count; ++k) {
        std::size_t reached = 0;
        const voq::bench::Spread spread = timeline.spread_of_step(static_cast<voq::bench::Step>(k), reached);
        char cell[64];
        if (reached == count)
            std::snprintf(cell, sizeof cell, " %.2f / %.2f / %.2f |", spread.minimum / 1e3, spread.median / 1e3,
                          spread.maximum / 1e3);
        else std::snprintf(cell, sizeof cell, " %zu of %u reached it |", reached, count);
        row += cell;
    }
    char end[32];
    std::snprintf(end, sizeof end, " %.2f |\n", wall_s);
    return row + end;
}

struct FloorColumn {
    voq::bench::Responders where;
    double single = -1;  // its best case's transfers for one device
};

// The least the same fleet could take here: one device's wall time, plus what the
// machine needs beyond one transfer for the rest, measured with lock-step responders.
bool report_floor(const std::vector<unsigned>& sizes, const std::vector<double>& walls,
                  const std::vector<std::uint8_t>& image)
{
    std::printf("## The floor: the same transfers from lock-step responders\n\n");
    std::printf(
        "As many lock-step responders on 127.2.0.1 as devices, each fetched from at once by a simulated\n"
        "device's client in this process: the transfers alone, with nothing of the program in them. The\n"
        "responders are threads of one process of their own, apart from the clients, as those of any program\n"
        "apart from the devices must be: on a virtual machine a switch between processes can cost far more\n"
        "than one between threads of a process. The floor is one device's wall time above plus what the best\n"
        "case's transfers need beyond one device's (goal: the program at most 1.25 times the floor). Beside\n"
        "it, the same with the responders as threads of the clients' own process (the floor of earlier runs)\n"
        "and with a process for each responder, the shape of a list whose devices were processes. Byte for byte:\n"
        "apart / in the clients' process / a process each.\n\n");
    std::printf(
        "| devices | byte for byte | best case's transfers s | floor s | floor against one | the program against "
        "the floor | in the clients' process: transfers s | the program against it | a process each: "
        "transfers s | the program against it |\n|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    using voq::bench::Responders;
    std::vector<FloorColumn> columns{{Responders::apart}, {Responders::clients_process}, {Responders::process_each}};
    bool whole = true;
    for (std::size_t i = 0; i < sizes.size() && i < walls.size(); ++i) {
        std::string intact, cells;
        for (FloorColumn& column : columns) {
            const voq::bench::FloorRun run =
                voq::bench::best_case_transfers(sizes[i], column.where, pc_address, device_address, image);
            whole = whole && run.measured && run.intact == sizes[i];
            intact += (intact.empty() ? "" : " / ") + (run.measured ? std::to_string(run.intact) : "-");
            if (!run.measured) {
                cells += column.where == Responders::apart ? " - | - | - | - |" : " - | - |";
                continue;
            }
            if (column.single < 0) column.single = run.seconds;
            const double floor = walls.front() + run.seconds - column.single;
            char cell[96];
            if (column.where == Responders::apart)
                std::snprintf(cell, sizeof cell, " %.2f | %.2f | %.2f | %.2f |", run.seconds, floor,
                              floor / walls.front(), walls[i] / floor);
            else std::snprintf(cell, sizeof cell, " %.2f | %.2f |", run.seconds, walls[i] / floor);
            cells += cell;
        }
        std::printf("| %u | %s |%s\n", sizes[i], intact.c_str(), cells.c_str());
        std::fflush(stdout);
    }
    std::printf("\n");
    return whole;
}

// A simulated device keeps every image it is sent, and a fresh page costs its client a
// fault (some 20 us on a virtual machine: a tenth of a hundred clients' time). The
// floor's clients, run later, found the pages the program's run had freed; now every
// run's devices do. The allocator keeps what it is given back, and is handed as many
// images as the largest run has devices, from as many threads, before anything is timed.
void warm_allocator(unsigned devices, std::size_t image_size)
{
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 1 << 30);
    std::vector<std::thread> threads;
    std::atomic<unsigned> held{0};
    for (unsigned i = 0; i < devices; ++i)
        threads.emplace_back([&] {
            std::vector<std::uint8_t> image(image_size, 1);
            ++held;
            while (held.load() < devices) voq::platform::sleep_milliseconds(1);
        });
    for (std::thread& thread : threads) thread.join();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && argv[1] == voq::bench::responders_command)
        return voq::bench::serve_responders(argv[2], argv[3], argv[4]);
    std::string program;
    std::vector<unsigned> sizes{1, 10, 50, 100};
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--program") program = argv[i + 1];
        if (option == "--sizes") {
            sizes.clear();
            std::istringstream list(argv[i + 1]);
            for (std::string size; std::getline(list, size, ',');)
                sizes.push_back(static_cast<unsigned>(std::stoul(size)));
        }
    }
    // Every figure is against one device's.
    if (sizes.empty() || sizes.front() != 1) sizes.insert(sizes.begin(), 1);
    if (program.empty()) {
        std::fputs("usage: voq-bench-fleet --program PATH [--sizes 1,10,50,100]\n", stderr);
        return 2;
    }
    const auto bytes = voq::fw::embedded_image(voq::fw::target_image_id);
    const std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
    devices_file_report();
    warm_allocator(*std::max_element(sizes.begin(), sizes.end()), 2 * image.size());

    std::printf("## Many devices from one PC address (voq-upgrade-cli --devices)\n\n");
    std::printf(
        "Simulated devices on 127.2.1.1 and up (ask after 0.1 s, restart in 1 s), the program on\n"
        "127.2.0.1 with --parallel equal to their number and --restart-wait 2. The devices' memory\n"
        "is warm in every run, as in the floor's.\n\n");
    std::printf(
        "| devices | upgraded | byte for byte | wall s | against one | CPU s | CPU s a device | simulators' CPU s "
        "(of it /proc sampling) | program KiB |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    double one = 0;
    bool whole = true;
    std::vector<std::string> timelines;
    std::vector<double> walls;
    for (const unsigned count : sizes) {
        voq::bench::FleetTimeline timeline(count);
        const FleetRun run = run_fleet(program, count, image, timeline);
        if (one == 0) one = run.wall_s;
        std::printf("| %u | %u | %u | %.2f | %.2f | %.2f | %.3f | %.2f (%.2f) | %ld |\n", count, run.upgraded,
                    run.intact, run.wall_s, one > 0 ? run.wall_s / one : 0.0, run.cpu_s,
                    count ? run.cpu_s / count : 0.0, run.simulators_cpu_s, run.sampler_cpu_s, run.program_kib);
        std::fflush(stdout);
        timelines.push_back(timeline_row(count, timeline, run.wall_s));
        walls.push_back(run.wall_s);
        whole = whole && run.status == 0 && run.intact == count;
    }
    std::printf(
        "\nWhere the time goes: when the devices saw each step, in seconds from the start of the list's\n"
        "process, first / median / last device.\n\n");
    std::printf(
        "| devices | status read | upgrade request | read request | last block acknowledged | back after the "
        "restart | status read again | list ends |\n|---:|---|---|---|---|---|---|---:|\n");
    for (const std::string& row : timelines) std::printf("%s", row.c_str());
    std::printf("\n");
    whole = report_floor(sizes, walls, image) && whole;
    return whole ? 0 : 1;
}
