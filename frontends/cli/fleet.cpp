#include "frontends/cli/fleet.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <thread>

#include "frontends/cli/cli_texts.h"
#include "frontends/cli/console.h"
#include "frontends/cli/devices_file.h"
#include "frontends/cli/record_json.h"
#include "frontends/cli/system.h"
#include "frontends/cli/terminal.h"
#include "platform/route.h"
#include "platform/socket.h"
#include "session/messages.h"
#include "ui/texts.h"
#include "ui/views.h"

namespace voq::cli {

namespace {

int usage_error(const std::string& text)
{
    std::fprintf(stderr, "voq-upgrade-cli: %s\n", text.c_str());
    return exit_status_of(Outcome::usage);
}

// Counts the runs of each PC address, so that none goes past the listener's ports.
class PcAddressSlots {
public:
    void take(std::uint32_t address)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        freed_.wait(lock, [&] { return running_[address] < most_runs_per_pc_address; });
        ++running_[address];
    }
    void give_back(std::uint32_t address)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            --running_[address];
        }
        freed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable freed_;
    std::map<std::uint32_t, unsigned> running_;
};

struct Plan {
    DeviceLine device;
    std::uint32_t pc_address;  // 0: no route
};

RunRecord unreported(const Plan& plan, Outcome outcome, std::string message)
{
    RunRecord record;
    record.device = plan.device.address_text;
    record.pc_address = plan.pc_address == 0 ? "" : ui::dotted(plan.pc_address);
    record.outcome = outcome;
    record.message = std::move(message);
    return record;
}

RunRecord run_device(const Options& o, const std::string& program, const Plan& plan)
{
    if (plan.pc_address == 0) return unreported(plan, Outcome::no_response, "no route from this PC to the device");
    if (terminal::interrupted()) return unreported(plan, Outcome::interrupted, std::string(session::message::user_abort));
    std::vector<std::string> arguments{program};
    const auto rest = child_arguments(o, plan.device.address_text, plan.device.user, plan.device.password_file, plan.pc_address);
    arguments.insert(arguments.end(), rest.begin(), rest.end());
    const system::ChildResult child = system::run_child(arguments, o.verbose);
    const std::string output = child.output;
    const std::size_t last_start = output.rfind('\n', output.size() >= 2 ? output.size() - 2 : 0);
    const std::string last = output.substr(last_start == std::string::npos ? 0 : last_start + 1);
    if (auto record = parse_record_json(last)) return *record;
    return unreported(plan, Outcome::pc_failure,
                      std::string(text::ended_unexpectedly) + " (exit status " + std::to_string(child.status) + ")");
}

std::string device_line(const RunRecord& r)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", r.seconds);
    std::string line = r.device + ": " + std::string(entry_of(r.outcome).name);
    if (!r.version_after.empty()) line += " " + r.version_after;
    line += std::string(", ") + seconds;
    if (r.outcome != Outcome::upgraded) line += " (" + r.message + ")";
    return line;
}

// Reads and checks the list; a problem is a usage error, named by its line.
std::vector<Plan> plan_devices(const Options& o, std::string& problem)
{
    std::ifstream file(o.devices_file, std::ios::binary);
    if (!file) {
        problem = "cannot read the devices file " + o.devices_file;
        return {};
    }
    const std::string contents{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    DevicesList list = parse_devices(contents, o.user);
    if (list.problem.empty() && list.devices.empty()) list.problem = "no device listed";
    if (!list.problem.empty()) {
        problem = o.devices_file + ": " + list.problem;
        return {};
    }
    const std::filesystem::path folder = std::filesystem::path(o.devices_file).parent_path();
    std::vector<Plan> plans;
    for (DeviceLine& device : list.devices) {
        if (!device.password_file.empty()) {
            const std::filesystem::path given(device.password_file);
            device.password_file = (given.is_absolute() ? given : folder / given).string();
            if (!std::ifstream(device.password_file)) {
                problem = o.devices_file + ": line " + std::to_string(device.line) + ": cannot read the password file " +
                          device.password_file;
                return {};
            }
        }
        const std::uint32_t pc = o.local_address ? *o.local_address : platform::source_address_towards(device.address);
        plans.push_back({device, pc});
    }
    return plans;
}

bool fleet_confirmed(const Options& o, Console& console, std::size_t count)
{
    console.say(ui::text::warning);
    if (o.yes) return true;
    if (!terminal::is_terminal(stdin)) return false;
    const auto answer = terminal::read_line(
        true, [&] { console.prompt("Accept the warning and upgrade " + std::to_string(count) + " devices? [y/N] "); });
    return answer && !terminal::interrupted() && (*answer == "y" || *answer == "Y" || *answer == "yes");
}

}  // namespace

std::string summary_table(const std::vector<RunRecord>& records)
{
    std::size_t device_width = 6, outcome_width = 7, version_width = 7;
    for (const RunRecord& r : records) {
        device_width = std::max(device_width, r.device.size());
        outcome_width = std::max(outcome_width, entry_of(r.outcome).name.size());
        version_width = std::max(version_width, r.version_after.size());
    }
    const auto row = [&](const std::string& device, const std::string& outcome, const std::string& version,
                         const std::string& seconds) {
        char text[512];
        std::snprintf(text, sizeof text, "%-*s  %-*s  %-*s  %8s\n", static_cast<int>(device_width), device.c_str(),
                      static_cast<int>(outcome_width), outcome.c_str(), static_cast<int>(version_width), version.c_str(),
                      seconds.c_str());
        return std::string(text);
    };
    std::string table = row("DEVICE", "OUTCOME", "VERSION", "SECONDS");
    for (const RunRecord& r : records) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", r.seconds);
        const std::string& version = r.version_after.empty() ? r.version_before : r.version_after;
        table += row(r.device, std::string(entry_of(r.outcome).name), version.empty() ? "-" : version, seconds);
    }
    return table;
}

int fleet_status(const std::vector<RunRecord>& records)
{
    for (const RunRecord& r : records)
        if (r.outcome != Outcome::upgraded) return exit_status_of(r.outcome);
    return 0;
}

int run_fleet(const Options& o)
{
    if (!platform::start_socket_library()) return usage_error("the socket library did not start");
    std::string problem;
    const std::vector<Plan> plans = plan_devices(o, problem);
    if (!problem.empty()) return usage_error(problem);
    Console console({o.quiet, o.json, o.verbose, ""});
    if (!fleet_confirmed(o, console, plans.size())) {
        console.error(terminal::interrupted() ? session::message::user_abort : text::not_confirmed);
        return exit_status_of(terminal::interrupted() ? Outcome::interrupted : Outcome::declined);
    }
    terminal::install_interrupt_handler();
    const std::string program = system::own_program_path();

    std::vector<RunRecord> records(plans.size());
    std::atomic<std::size_t> next{0};
    std::mutex reporting;
    PcAddressSlots slots;
    const auto worker = [&] {
        for (std::size_t i = next++; i < plans.size(); i = next++) {
            if (plans[i].pc_address != 0) slots.take(plans[i].pc_address);
            RunRecord record = run_device(o, program, plans[i]);
            if (plans[i].pc_address != 0) slots.give_back(plans[i].pc_address);
            const std::lock_guard<std::mutex> lock(reporting);
            if (o.json) {
                std::printf("%s\n", record_json(record).c_str());
                std::fflush(stdout);
            } else {
                console.say(device_line(record));
            }
            records[i] = std::move(record);
        }
    };
    std::vector<std::thread> workers;
    for (std::size_t k = 0; k < std::min<std::size_t>(o.parallel, plans.size()); ++k) workers.emplace_back(worker);
    for (std::thread& each : workers) each.join();
    if (!o.json) console.say(summary_table(records));
    return terminal::interrupted() ? exit_status_of(Outcome::interrupted) : fleet_status(records);
}

}  // namespace voq::cli
