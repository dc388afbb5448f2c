#include "frontends/cli/fleet/estate.h"

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "frontends/cli/fleet/device_targets.h"
#include "frontends/cli/run/record_json.h"
#include "frontends/cli/terminal/input_file.h"
#include "platform/host_lookup.h"
#include "platform/socket.h"
#include "record/printable.h"
#include "ui/views.h"

namespace voq::cli {

DevicesList listed_devices(const Options& o, std::string& problem)
{
    DevicesList list;
    if (o.devices_file.empty()) {
        // An address given twice is run once: two runs would tell one device two things at once.
        std::set<std::uint32_t> given;
        for (const std::string& text : o.targets) {
            const DeviceTarget target = parse_target(text);
            if (target.kind != TargetKind::address || given.insert(target.first).second)
                list.devices.push_back({0, text, target.first, o.user, ""});
        }
        return list;
    }
    const FileContents file = read_named_file(o.devices_file, most_devices_file_bytes, "devices file");
    if (!file.problem.empty()) {
        problem = file.problem;
        return {};
    }
    list = parse_devices(file.bytes, o.user);
    if (list.problem.empty() && list.devices.empty()) list.problem = "no device listed";
    if (!list.problem.empty()) problem = o.devices_file + ": " + list.problem;
    return list;
}

bool several_devices(const Options& o)
{
    const bool range = o.targets.size() == 1 && parse_target(o.targets[0]).kind == TargetKind::range;
    return !o.devices_file.empty() || o.targets.size() > 1 || range;
}

bool many_devices(const Options& o) { return several_devices(o) || !o.write_devices.empty(); }

std::optional<int> resolve_device_name(Options& o)
{
    if (o.device_name.empty()) return std::nullopt;
    platform::start_socket_library();  // Winsock resolves nothing before it starts
    const platform::LookedUp found = platform::look_up_ipv4(o.device_name);
    if (found.address != 0) {
        o.device_address = found.address;
        o.device = ui::dotted(found.address);
        return std::nullopt;
    }
    RunRecord record;
    record.name = o.device_name;
    record.outcome = Outcome::no_response;
    record.message = o.device_name + ": " + (found.reason.empty() ? "no IPv4 address" : found.reason);
    std::fprintf(stderr, "voq-upgrade-cli: %s\n", record.message.c_str());
    if (o.json) std::printf("%s\n", record_json(record).c_str());
    return status_of(record);
}

RunRecord found_in_range(RunRecord record, bool in_range)
{
    if (!in_range || record.outcome != Outcome::unreadable) return record;
    record.outcome = Outcome::not_a_voq;
    record.message = "Not a VOQ: a web server whose status page gave no version; nothing else was sent";
    return record;
}

std::string shown_device(const RunRecord& record)
{
    if (record.name.empty()) return record.device;
    return record.device.empty() ? record.name : record.name + " (" + record.device + ")";
}

bool fails(const RunRecord& record)
{
    const int status = status_of(record);
    return status != 0 && status != status_not_current && status != status_not_started;
}

std::string not_started_message(unsigned max_failures)
{
    return "Not started: " + std::to_string(max_failures) + (max_failures == 1 ? " device" : " devices") +
           " had failed (--max-failures)";
}

std::string absent_line(std::size_t absent, double connect_timeout_s)
{
    std::ostringstream line;
    line << absent << (absent == 1 ? " address" : " addresses")
         << " of the ranges took no connection on port 80 within " << connect_timeout_s << " s: absent";
    return line.str();
}

std::string devices_file_text(const std::vector<RunRecord>& records)
{
    std::string text = "# VOQs found by voq-upgrade-cli: ADDRESS # PRODUCT VERSION\n";
    for (const RunRecord& r : records) {
        // Only a device whose status page was read is known to be a VOQ.
        if (r.device.empty() || r.product.empty() || r.outcome == Outcome::not_a_voq) continue;
        const std::string& version = r.version_after.empty() ? r.version_before : r.version_after;
        // A device's texts may hold a line end, which would end the comment.
        std::string comment = record::printable(r.product) + " " + record::printable(version);
        if (!r.name.empty()) comment += " (" + r.name + ")";
        text += r.device + "  # " + comment + "\n";
    }
    return text;
}

bool write_devices_file(const std::string& path, const std::vector<RunRecord>& records)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << devices_file_text(records);
    return static_cast<bool>(file.flush());
}

}  // namespace voq::cli
