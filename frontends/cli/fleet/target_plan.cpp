#include "frontends/cli/fleet/target_plan.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <thread>

#include "frontends/cli/command_line/ipv4_text.h"
#include "frontends/cli/fleet/device_targets.h"
#include "platform/host_lookup.h"
#include "ui/views.h"

namespace voq::cli {

std::vector<PlannedDevice> spread_targets(const std::vector<DeviceLine>& lines, std::uint64_t most,
                                          std::string& problem)
{
    std::uint64_t hosts = 0;
    std::set<std::uint32_t> listed;
    for (const DeviceLine& line : lines) {
        const DeviceTarget target = parse_target(line.address_text);
        if (target.kind == TargetKind::range) hosts += host_count(target);
        if (target.kind == TargetKind::address) listed.insert(target.first);
    }
    if (hosts > most) {
        problem = "the ranges hold " + std::to_string(hosts) + " addresses, more than " + std::to_string(most) +
                  "; give --max-hosts to allow more";
        return {};
    }
    // Names first, so that a device is never run twice at once: a name whose address is
    // listed runs as listed, and a range leaves out what a name or a listing took.
    std::map<std::string, platform::LookedUp> resolved;
    for (const DeviceLine& line : lines)
        if (parse_target(line.address_text).kind == TargetKind::name && !resolved.contains(line.address_text))
            resolved[line.address_text] = platform::look_up_ipv4(line.address_text);
    std::set<std::uint32_t> named;
    std::vector<PlannedDevice> planned;
    for (const DeviceLine& line : lines) {
        const DeviceTarget target = parse_target(line.address_text);
        if (target.kind == TargetKind::address) {
            planned.push_back({line, "", "", false});
        } else if (target.kind == TargetKind::name) {
            const platform::LookedUp& found = resolved[line.address_text];
            if (found.address != 0 && (listed.contains(found.address) || !named.insert(found.address).second)) continue;
            PlannedDevice device{line, line.address_text, found.reason, false};
            device.device.address = found.address;
            device.device.address_text = found.address == 0 ? line.address_text : ui::dotted(found.address);
            if (found.address == 0 && device.unresolved.empty()) device.unresolved = "no IPv4 address";
            planned.push_back(device);
        } else {
            for (std::uint64_t address = target.first; address <= target.last; ++address) {
                const auto host = static_cast<std::uint32_t>(address);
                // No device has a multicast or broadcast address, and one listed runs as listed.
                if (!parse_strict_ipv4(ui::dotted(host)).problem.empty() || named.contains(host) ||
                    !listed.insert(host).second)
                    continue;
                PlannedDevice device{line, "", "", true};
                device.device.address = host;
                device.device.address_text = ui::dotted(host);
                planned.push_back(device);
            }
        }
    }
    return planned;
}

std::size_t leave_out_absent(std::vector<PlannedDevice>& planned, unsigned timeout_ms, unsigned at_once)
{
    std::vector<char> present(planned.size(), 1);
    std::atomic<std::size_t> next{0};
    const auto prober = [&] {
        for (std::size_t i = next++; i < planned.size(); i = next++)
            if (planned[i].in_range) present[i] = platform::takes_connection(planned[i].device.address, 80, timeout_ms);
    };
    // Only a range's hosts are probed: a list of addresses alone starts no prober.
    const auto in_ranges = static_cast<std::size_t>(
        std::count_if(planned.begin(), planned.end(), [](const PlannedDevice& device) { return device.in_range; }));
    std::vector<std::thread> probers;
    for (unsigned k = 0; k < std::min<std::size_t>(at_once, in_ranges); ++k) probers.emplace_back(prober);
    for (std::thread& each : probers) each.join();
    std::vector<PlannedDevice> kept;
    for (std::size_t i = 0; i < planned.size(); ++i)
        if (present[i]) kept.push_back(std::move(planned[i]));
    const std::size_t absent = planned.size() - kept.size();
    planned = std::move(kept);
    return absent;
}

}  // namespace voq::cli
