#include "frontends/cli/fleet/fleet.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "frontends/cli/command_line/ipv4_text.h"
#include "frontends/cli/command_line/pc_address.h"
#include "frontends/cli/command_line/usage_error.h"
#include "frontends/cli/fleet/devices_file.h"
#include "frontends/cli/fleet/estate.h"
#include "frontends/cli/fleet/target_plan.h"
#include "frontends/cli/run/cli_texts.h"
#include "frontends/cli/run/record_json.h"
#include "frontends/cli/run/single_run.h"
#include "frontends/cli/terminal/console.h"
#include "frontends/cli/terminal/credentials.h"
#include "frontends/cli/terminal/input_file.h"
#include "frontends/cli/terminal/interruption.h"
#include "frontends/cli/terminal/password_file.h"
#include "frontends/cli/terminal/yes_no.h"
#include "platform/child_process.h"
#include "platform/local_addresses.h"
#include "platform/private_file.h"
#include "platform/route.h"
#include "platform/socket.h"
#include "platform/terminal.h"
#include "session/messages.h"
#include "ui/credential_bytes.h"
#include "ui/texts.h"
#include "ui/views.h"

namespace voq::cli {

namespace {

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

struct Plan : PlannedDevice {
    std::uint32_t pc_address = 0;  // 0: no route
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

// A device's options as its own command line would give them, parsed the same way.
std::optional<Options> device_options(std::vector<std::string> words)
{
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    return parse_command_line(static_cast<int>(words.size()), argv.data()).options;
}

RunRecord run_device(const Options& o, const Plan& plan, std::shared_ptr<void> port_hold)
{
    if (!plan.unresolved.empty()) {
        RunRecord record = unreported(plan, Outcome::no_response, plan.name + ": " + plan.unresolved);
        record.device.clear();
        return record;
    }
    if (plan.pc_address == 0) return unreported(plan, Outcome::no_response, "no route from this PC to the device");
    if (platform::terminal::interrupted())
        return unreported(plan, current_interruption().outcome, std::string(text::not_started));
    std::vector<std::string> arguments{"voq-upgrade-cli"};
    const auto rest =
        device_arguments(o, plan.device.address_text, plan.device.user, plan.device.password_file, plan.pc_address);
    arguments.insert(arguments.end(), rest.begin(), rest.end());
    if (plan.in_range) arguments.push_back("--voq-only");
    if (!o.log_file.empty())
        arguments.insert(
            arguments.end(),
            {"--log",
             (std::filesystem::path(o.log_file) / ("voq-upgrade-" + plan.device.address_text + ".log")).string()});
    const std::optional<Options> device = device_options(std::move(arguments));
    if (!device) return unreported(plan, Outcome::usage, "the device's options were refused");
    RunRecord record = run_device_here(*device, std::move(port_hold));
    if (record.device.empty()) record.device = plan.device.address_text;
    if (record.pc_address.empty()) record.pc_address = ui::dotted(plan.pc_address);
    return found_in_range(record, plan.in_range);
}

std::string device_line(const RunRecord& r)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", r.seconds);
    std::string line = shown_device(r) + ": " + std::string(entry_of(r.outcome).name);
    const std::string& version = r.version_after.empty() ? r.version_before : r.version_after;
    if (!version.empty()) line += " " + version;
    line += std::string(", ") + seconds;
    if (status_of(r) != 0) line += " (" + r.message + ")";
    return line;
}

// What a person reads while a list runs on a terminal.
std::string tally_line(const std::vector<RunRecord>& records, const std::vector<bool>& finished, std::size_t running)
{
    std::size_t done = 0, read = 0, failed = 0, total = records.size();
    for (std::size_t i = 0; i < total; ++i) {
        if (!finished[i]) continue;
        const bool only_read = records[i].outcome == Outcome::current || records[i].outcome == Outcome::outdated ||
                               records[i].outcome == Outcome::newer || records[i].outcome == Outcome::not_a_voq ||
                               records[i].outcome == Outcome::not_started;
        (records[i].outcome == Outcome::upgraded ? done : only_read ? read : failed) += 1;
    }
    return std::to_string(done) + " upgraded, " + (read > 0 ? std::to_string(read) + " left as they are, " : "") +
           std::to_string(failed) + " failed, " + std::to_string(running) + " running, " +
           std::to_string(total - done - read - failed - running) + " waiting";
}

// Reads and checks the list, and whatever each device's run would otherwise find wrong
// only once it runs; a problem is a usage error, named by its line.
std::vector<Plan> plan_devices(const Options& o, std::string& problem, std::size_t& absent)
{
    DevicesList list = listed_devices(o, problem);
    if (!problem.empty()) return {};
    if (o.local_address) {
        problem = local_address_problem(*o.local_address);
        if (!problem.empty()) return {};
    }
    std::vector<PlannedDevice> spread = spread_targets(list.devices, o.most_range_hosts, problem);
    if (!problem.empty()) return {};
    absent = leave_out_absent(spread, timeout_ms(o.connect_timeout_s), most_probes_at_once);
    const std::filesystem::path folder = std::filesystem::path(o.devices_file).parent_path();
    std::error_code error;
    // The runs read it from this folder too, but an absolute name says plainly which file is meant.
    const std::string shared_password_file =
        o.password_file.empty() ? "" : std::filesystem::absolute(o.password_file, error).string();
    std::map<std::string, std::string> checked;  // password file to its problem
    std::vector<Plan> plans;
    for (PlannedDevice& planned : spread) {
        DeviceLine& device = planned.device;
        const std::string at_line =
            device.line == 0 ? "" : o.devices_file + ": line " + std::to_string(device.line) + ": ";
        if (!ui::credential_from_utf8(device.user)) {
            problem = at_line + "user " + device.user + ": " + std::string(ui::text::unsendable_credentials);
            return {};
        }
        if (!device.password_file.empty()) {
            const std::filesystem::path given(device.password_file);
            device.password_file = (given.is_absolute() ? given : folder / given).string();
        } else {
            device.password_file = shared_password_file;
        }
        if (!device.password_file.empty() && !checked.contains(device.password_file)) {
            const PasswordFromFile read = read_password_file(device.password_file);
            if (!read.warning.empty()) std::fprintf(stderr, "voq-upgrade-cli: %s\n", read.warning.c_str());
            checked[device.password_file] = read.problem;
        }
        if (!device.password_file.empty() && !checked[device.password_file].empty()) {
            problem = (device.password_file == shared_password_file ? std::string() : at_line) +
                      checked[device.password_file];
            return {};
        }
        const std::uint32_t pc = !planned.unresolved.empty() ? 0
                                 : o.local_address           ? *o.local_address
                                                             : platform::source_address_towards(device.address);
        if (pc != 0) {
            const std::string wrong = subnet_address_problem(device.address, pc, platform::netmask_of(pc));
            // A range may span the PC's subnet's own addresses, which are no device's.
            if (!wrong.empty() && planned.in_range) continue;
            if (!wrong.empty()) {
                problem = at_line + wrong;
                return {};
            }
        }
        plans.push_back({std::move(planned), pc});
    }
    return plans;
}

// A device upgraded before the signal came counts as upgraded; the signal's status
// only when it stopped one.
int ended_status(const std::vector<RunRecord>& records)
{
    if (platform::terminal::interrupted())
        for (const RunRecord& r : records)
            if (r.outcome == current_interruption().outcome) return status_of(r);
    return fleet_status(records);
}

bool fleet_confirmed(const Options& o, Console& console, std::size_t count)
{
    if (o.mode == Mode::check || count == 0) return true;
    console.say(ui::text::warning);
    if (o.yes) return true;
    if (!platform::terminal::is_terminal(stdin)) return false;
    const auto answer =
        console.ask("Accept the warning and upgrade " + std::to_string(count) + " devices? [y/N] ", true);
    return answer && !platform::terminal::interrupted() && is_yes(*answer);
}

}  // namespace

std::string summary_table(const std::vector<RunRecord>& records)
{
    std::size_t device_width = 6, outcome_width = 7, version_width = 7;
    for (const RunRecord& r : records) {
        device_width = std::max(device_width, std::min<std::size_t>(r.device.size(), 64));
        outcome_width = std::max(outcome_width, entry_of(r.outcome).name.size());
        version_width = std::max(version_width,
                                 std::min<std::size_t>(std::max(r.version_after.size(), r.version_before.size()), 64));
    }
    const auto row = [&](const std::string& device, const std::string& outcome, const std::string& version,
                         const std::string& seconds, const std::string& reason) {
        std::string text(1024, '\0');
        const int length = std::snprintf(
            text.data(), text.size(), "%-*.64s  %-*s  %-*.64s  %8s  %.600s", static_cast<int>(device_width),
            device.c_str(), static_cast<int>(outcome_width), outcome.c_str(), static_cast<int>(version_width),
            version.c_str(), seconds.c_str(), reason.c_str());
        text.resize(static_cast<std::size_t>(std::max(length, 0)));
        while (!text.empty() && text.back() == ' ') text.pop_back();
        return text + "\n";
    };
    std::string table = row("DEVICE", "OUTCOME", "VERSION", "SECONDS", "REASON");
    std::map<std::string_view, std::size_t> counts;
    for (const RunRecord& r : records) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", r.seconds);
        const std::string& version = r.version_after.empty() ? r.version_before : r.version_after;
        const std::string_view name = entry_of(r.outcome).name;
        table += row(shown_device(r), std::string(name), version.empty() ? "-" : version, seconds,
                     status_of(r) == 0 ? "" : r.message);
        ++counts[name];
    }
    std::string totals = std::to_string(records.size()) + (records.size() == 1 ? " device: " : " devices: ");
    totals += std::to_string(counts[entry_of(Outcome::upgraded).name]) + " upgraded";
    for (const auto& [name, count] : counts)
        if (name != entry_of(Outcome::upgraded).name) totals += ", " + std::to_string(count) + " " + std::string(name);
    return table + totals + "\n";
}

int fleet_status(const std::vector<RunRecord>& records)
{
    bool not_current = false;
    for (const RunRecord& r : records) {
        const int status = status_of(r);
        if (status != 0 && status != status_not_current) return status;
        not_current = not_current || status == status_not_current;
    }
    return not_current ? status_not_current : 0;
}

int run_fleet(const Options& o)
{
    const auto started = std::chrono::steady_clock::now();
    const auto usage_error = [&](const std::string& text) { return report_usage_error(text, o.json, ""); };
    if (!platform::start_socket_library()) return usage_error("the socket library did not start");
    if (!o.log_file.empty() && !platform::make_private_folder(o.log_file))
        return usage_error("--log: cannot make the folder " + o.log_file);
    std::string problem;
    std::size_t absent = 0;
    const std::vector<Plan> plans = plan_devices(o, problem, absent);
    if (!problem.empty()) return usage_error(problem);
    if (!o.write_devices.empty() && !std::ofstream(o.write_devices, std::ios::app))
        return usage_error("--write-devices: cannot write " + o.write_devices);
    Console console({o.quiet, o.json, o.verbose, ""});
    if (!fleet_confirmed(o, console, plans.size())) {
        const Interruption declined{Outcome::declined, text::not_confirmed};
        const Interruption why = platform::terminal::interrupted() ? current_interruption() : declined;
        console.error(why.message);
        if (o.json) {
            RunRecord record;
            record.outcome = why.outcome;
            record.message = std::string(why.message);
            std::printf("%s\n", record_json(record).c_str());
        }
        return exit_status_of(why.outcome);
    }

    std::vector<RunRecord> records(plans.size());
    std::vector<bool> finished(plans.size(), false);
    std::size_t running = 0;
    std::atomic<unsigned> failures{0};
    std::atomic<std::size_t> next{0};
    std::mutex reporting;
    // A run's listener may give its slot back after the list has ended.
    const auto slots = std::make_shared<PcAddressSlots>();
    const bool show_tally = !o.json && !o.quiet && platform::terminal::is_terminal(stdout);
    const auto worker = [&] {
        for (std::size_t i = next++; i < plans.size(); i = next++) {
            const bool start = o.max_failures == 0 || failures < o.max_failures;
            std::shared_ptr<void> port_hold;  // the slot, given back once the run's port is free
            if (start && plans[i].pc_address != 0) {
                slots->take(plans[i].pc_address);
                port_hold.reset(static_cast<void*>(nullptr),
                                [slots, pc = plans[i].pc_address](void*) { slots->give_back(pc); });
            }
            {
                const std::lock_guard<std::mutex> lock(reporting);
                running += start ? 1 : 0;
                if (show_tally) console.progress(tally_line(records, finished, running), true);
            }
            RunRecord record = start ? run_device(o, plans[i], std::move(port_hold))
                                     : unreported(plans[i], Outcome::not_started, not_started_message(o.max_failures));
            record.name = plans[i].name;
            if (fails(record)) ++failures;
            const std::lock_guard<std::mutex> lock(reporting);
            running -= start ? 1 : 0;
            if (o.json) {
                std::printf("%s\n", record_json(record).c_str());
                std::fflush(stdout);
            } else {
                console.say(device_line(record));
            }
            // As for one device alone: on standard error, also with --quiet.
            if (!record.likely_causes.empty()) console.error(record.device + ": Likely causes:");
            for (const std::string& cause : record.likely_causes) console.error("  - " + cause);
            records[i] = std::move(record);
            finished[i] = true;
            if (show_tally) console.progress(tally_line(records, finished, running), true);
        }
    };
    // The workers begin once all are made. The thread that makes them would otherwise
    // take turns with the runs already under way: on two cores a hundred runs began over
    // a fifth of a second, the last ones' transfers ending that much later.
    std::promise<void> all_made;
    const std::shared_future<void> gate = all_made.get_future().share();
    std::vector<std::thread> workers;
    for (std::size_t k = 0; k < std::min<std::size_t>(o.parallel, plans.size()); ++k) {
        try {
            workers.emplace_back([&] {
                gate.wait();
                worker();
            });
        } catch (const std::system_error&) {
            break;  // the workers made share the list
        }
    }
    all_made.set_value();
    if (workers.empty()) worker();
    for (std::thread& each : workers) each.join();
    console.end_progress();
    if (!o.json) console.say(summary_table(records));
    if (absent > 0) console.say(absent_line(absent, o.connect_timeout_s));
    if (!o.write_devices.empty() && !write_devices_file(o.write_devices, records))
        console.error("voq-upgrade-cli: cannot write " + o.write_devices);
    const int status = ended_status(records);
    if (o.json && several_devices(o)) {
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        std::printf("%s\n", summary_json(records, absent, took.count(), status).c_str());
        std::fflush(stdout);
    }
    return status;
}

}  // namespace voq::cli
