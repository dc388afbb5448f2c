#include "frontends/cli/fleet/devices_file.h"

#include <sstream>
#include <unordered_map>

#include "frontends/cli/fleet/device_targets.h"
#include "frontends/cli/terminal/password_file.h"

namespace voq::cli {

namespace {

std::vector<std::string> fields_of(std::string_view line)
{
    std::istringstream words{std::string(line.substr(0, line.find('#')))};
    std::vector<std::string> fields;
    for (std::string word; words >> word;) fields.push_back(word);
    return fields;
}

std::string at_line(unsigned number, const std::string& text) { return "line " + std::to_string(number) + ": " + text; }

}  // namespace

DevicesList parse_devices(std::string_view contents, const std::string& default_user)
{
    DevicesList list;
    std::unordered_map<std::uint32_t, unsigned> listed;  // address to its line
    unsigned number = 0;
    contents = without_byte_order_mark(contents);
    while (!contents.empty()) {
        ++number;
        const std::size_t end = contents.find('\n');
        const std::vector<std::string> fields = fields_of(contents.substr(0, end));
        contents = end == std::string_view::npos ? std::string_view{} : contents.substr(end + 1);
        if (fields.empty()) continue;
        if (fields.size() > 3) return {{}, at_line(number, "more than ADDRESS USER PASSWORD-FILE")};
        DeviceLine device{number, fields[0], 0, fields.size() > 1 ? fields[1] : default_user,
                          fields.size() > 2 ? fields[2] : std::string()};
        const DeviceTarget target = parse_target(device.address_text);
        if (!target.problem.empty()) return {{}, at_line(number, target.problem)};
        // A name or a range is spread into addresses once the list is read.
        if (target.kind != TargetKind::address) {
            list.devices.push_back(device);
            continue;
        }
        device.address = target.first;
        const auto [earlier, first_time] = listed.emplace(device.address, number);
        if (!first_time)
            return {
                {},
                at_line(number, device.address_text + " is listed already on line " + std::to_string(earlier->second))};
        list.devices.push_back(device);
    }
    return list;
}

}  // namespace voq::cli
