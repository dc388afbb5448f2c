#include "bench/transfer_report.h"

#include <cinttypes>
#include <string>
#include <vector>

#include "bench/placement.h"
#include "bench/polling_cost.h"
#include "bench/statistics.h"
#include "firmware/placeholder.h"
#include "tftp/packet.h"

namespace voq::bench {

namespace {

constexpr std::uint32_t shipped_image_size = 734916;
// The largest image whose blocks 16-bit block numbers can count.
constexpr std::uint32_t largest_image_size = 65535u * 512 - 1;

struct ServerTimes {
    std::vector<double> ms;
    int ended_apart = 0;  // of the runs whose CPUs are known
    int cpus_known = 0;
};

struct Times {
    ServerTimes tool, reference, lockstep;
    ServerTimes polling_lockstep;  // at the shipped size only
};

struct Series {
    Times placed[placement_count];  // by Placement
    bool intact = true;
};

struct Medians {
    Spread tool, reference, best, polling_best;
};

Medians medians_of(const Times& times)
{
    return {spread_of(times.tool.ms), spread_of(times.reference.ms), spread_of(times.lockstep.ms),
            spread_of(times.polling_lockstep.ms)};
}

// "7 of 41": the runs that ended with the client and the server on different CPUs.
std::string apart_text(const ServerTimes& times)
{
    if (times.cpus_known == 0) return "-";
    return std::to_string(times.ended_apart) + " of " + std::to_string(times.cpus_known);
}

// Runs alternate between the servers and the placements, so that whatever else the
// machine does falls on all alike.
Series run_series(const Servers& servers, std::uint32_t image_size, int runs, bool with_polling_best_case)
{
    const std::vector<std::uint8_t> image = fw::make_placeholder_image(image_size, "VOQ-3300", "2.0.14(SE)");
    Series series;
    if (!place_image(servers, image)) {
        std::fprintf(stderr, "voq-bench: cannot write %s\n", servers.file_path.c_str());
        series.intact = false;
        return series;
    }
    const auto timed = [&](Server server, ServerTimes& into) {
        const TimedFetch fetch = timed_fetch(servers, server, image);
        series.intact = series.intact && fetch.intact;
        into.ms.push_back(fetch.milliseconds);
        if (!fetch.ended_apart) return;
        ++into.cpus_known;
        into.ended_apart += *fetch.ended_apart ? 1 : 0;
    };
    for (int run = 0; run < runs && series.intact; ++run) {
        for (const Placement placement : placements) {
            place_servers(servers, placement);
            Times& times = series.placed[static_cast<int>(placement)];
            timed(Server::tool, times.tool);
            timed(Server::lockstep, times.lockstep);
            if (with_polling_best_case) timed(Server::polling_lockstep, times.polling_lockstep);
            if (servers.reference_address != 0) timed(Server::reference, times.reference);
        }
    }
    place_servers(servers, Placement::any_cpu);
    if (!series.intact) std::fprintf(stderr, "voq-bench: a fetch of %" PRIu32 " bytes was not intact\n", image_size);
    return series;
}

std::string ratio_text(const Spread& tool, const Spread& reference)
{
    if (reference.median <= 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", tool.median / reference.median);
    return text;
}


// "1.11 on one CPU, 1.10 on two CPUs apart, ..." for the ratio of one server to another.
std::string ratios_text(const Medians (&placed)[placement_count], Spread Medians::*of, Spread Medians::*to)
{
    std::string text;
    for (const Placement placement : placements) {
        const Medians& m = placed[static_cast<int>(placement)];
        if (!text.empty()) text += ", ";
        text += ratio_text(m.*of, m.*to) + " on " + placement_name(placement);
    }
    return text;
}

bool report_shipped_size(const Servers& servers, const ReportSettings& settings)
{
    const int runs = settings.quick ? 3 : 41;
    const Series series = run_series(servers, shipped_image_size, runs, true);
    Medians placed[placement_count];
    for (const Placement placement : placements)
        placed[static_cast<int>(placement)] = medians_of(series.placed[static_cast<int>(placement)]);
    const Times& any = series.placed[static_cast<int>(Placement::any_cpu)];
    std::FILE* out = settings.out;
    std::fprintf(out, "### One image of the shipped size (%" PRIu32 " bytes, %" PRIu32 " blocks), %d runs each\n\n",
                 shipped_image_size, static_cast<std::uint32_t>(shipped_image_size / tftp::block_size + 1), runs);
    std::fprintf(out,
                 "Each run of each server three times: the client and every server on one CPU (taskset -c 0); the\n"
                 "client on the first CPU and every server on the second, each block crossing between them; then\n"
                 "on any CPU as the scheduler likes. The last column counts the runs on any CPU that ended with the\n"
                 "client and the server's thread on different CPUs.%s\n\n",
                 given_cpu_count() < 2 ? " Only one CPU was given: \"apart\" is that CPU too." : "");
    std::fprintf(out, "| server |");
    for (const Placement placement : placements)
        std::fprintf(out, " %s: median ms | fastest | slowest |", placement_name(placement));
    std::fprintf(out, " any CPU: ended apart |\n|---|");
    for (int i = 0; i < placement_count; ++i) std::fprintf(out, "---:|---:|---:|");
    std::fprintf(out, "---:|\n");
    const auto print_row = [&](const char* name, Spread Medians::*of, const ServerTimes& any_cpu) {
        std::fprintf(out, "| %s |", name);
        for (const Placement placement : placements) {
            const Spread& spread = placed[static_cast<int>(placement)].*of;
            std::fprintf(out, " %.1f | %.1f | %.1f |", spread.median, spread.minimum, spread.maximum);
        }
        std::fprintf(out, " %s |\n", apart_text(any_cpu).c_str());
    };
    print_row("this tool", &Medians::tool, any.tool);
    print_row("lock-step responder (the best case)", &Medians::best, any.lockstep);
    print_row("lock-step responder waiting 1 ms at a time, as the tool waits", &Medians::polling_best,
              any.polling_lockstep);
    if (servers.reference_address != 0) print_row("tftpd-hpa", &Medians::reference, any.reference);
    std::fprintf(out, "\nRatio tool / best case at the median: %s (goal: at most 1.10 in each)\n",
                 ratios_text(placed, &Medians::tool, &Medians::best).c_str());
    if (servers.reference_address != 0)
        std::fprintf(out, "Ratio tool / tftpd-hpa at the median: %s (target: at most 1.10)\n\n",
                     ratios_text(placed, &Medians::tool, &Medians::reference).c_str());
    else std::fprintf(out, "tftpd-hpa could not be run here: no comparison\n\n");
    return series.intact;
}

bool report_growth(const Servers& servers, const ReportSettings& settings)
{
    struct Step {
        std::uint32_t size;
        int runs;
    };
    const std::vector<Step> steps =
        settings.quick ? std::vector<Step>{{64 * 1024, 1}, {256 * 1024, 1}}
                       : std::vector<Step>{{64 * 1024, 21},      {256 * 1024, 15},      {1024 * 1024, 11},
                                           {4 * 1024 * 1024, 7}, {16 * 1024 * 1024, 5}, {largest_image_size, 3}};
    std::FILE* out = settings.out;
    std::fprintf(out, "### Growth with the image size (medians)\n\n");
    std::fprintf(out,
                 "| bytes | blocks | runs | placement | tool ms | tool µs a block | best case ms | tool / best case | "
                 "tftpd-hpa ms | tool / tftpd-hpa | ended apart: tool, best case |\n"
                 "|---:|---:|---:|---|---:|---:|---:|---:|---:|---:|---|\n");
    bool intact = true;
    for (const Step& step : steps) {
        const Series series = run_series(servers, step.size, step.runs, false);
        intact = intact && series.intact;
        if (!series.intact) break;
        const auto blocks = static_cast<std::uint32_t>(step.size / tftp::block_size + 1);
        for (const Placement placement : placements) {
            const Times& times = series.placed[static_cast<int>(placement)];
            const Medians m = medians_of(times);
            std::fprintf(out,
                         "| %" PRIu32 " | %" PRIu32 " | %d | %s | %.1f | %.1f | %.1f | %s | %.1f | %s | %s, %s |\n",
                         step.size, blocks, step.runs, placement_name(placement), m.tool.median,
                         m.tool.median * 1e3 / blocks, m.best.median, ratio_text(m.tool, m.best).c_str(),
                         m.reference.median, ratio_text(m.tool, m.reference).c_str(), apart_text(times.tool).c_str(),
                         apart_text(times.lockstep).c_str());
        }
    }
    std::fprintf(out, "\n");
    return intact;
}

void report_polling(const Servers& servers, const ReportSettings& settings)
{
    const unsigned duration_ms = settings.quick ? 300 : 5000;
    const PollingCost waiting = waiting_screen_cost(servers, duration_ms);
    const PollingCost restart = restart_wait_cost(duration_ms);
    const PollingCost bare = bare_wait_cost(duration_ms);
    std::FILE* out = settings.out;
    std::fprintf(out,
                 "### Polling while nothing happens (the core, with a front-end that costs nothing), %u ms each\n\n",
                 duration_ms);
    std::fprintf(out,
                 "| screen | CPU ms a second | share of one core | screen updates a second |\n|---|---:|---:|---:|\n");
    std::fprintf(out, "| waiting for the device's request (114) | %.2f | %.2f%% | %.0f |\n", waiting.cpu_ms_per_second,
                 waiting.cpu_ms_per_second / 10, waiting.screen_updates_per_second);
    std::fprintf(out, "| restart wait (110) | %.2f | %.2f%% | %.0f |\n", restart.cpu_ms_per_second,
                 restart.cpu_ms_per_second / 10, restart.screen_updates_per_second);
    std::fprintf(out, "| for scale: a loop that only waits 1 ms at a time | %.2f | %.2f%% | - |\n\n",
                 bare.cpu_ms_per_second, bare.cpu_ms_per_second / 10);
}

}  // namespace

bool report_transfers(const Servers& servers, const ReportSettings& settings)
{
    const bool shipped = report_shipped_size(servers, settings);
    const bool growth = shipped && report_growth(servers, settings);
    report_polling(servers, settings);
    return shipped && growth;
}

}  // namespace voq::bench
