#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace voq::cli {

struct DeviceLine {
    unsigned line;  // from 1
    std::string address_text;
    std::uint32_t address;
    std::string user;           // the default when the line names none
    std::string password_file;  // empty: the run's own password source
};

struct DevicesList {
    std::vector<DeviceLine> devices;
    std::string problem;  // "line 4: ...", for the first bad line; empty when all are good
};

// One device a line: ADDRESS [USER [PASSWORD-FILE]], where ADDRESS may also be a host
// name or a range (address 0 until they are resolved or spread), separated by blanks; '#' starts a
// comment, blank lines are skipped; a byte order mark before the first line and
// carriage returns before line ends are allowed. A device listed twice is a bad line:
// two runs would tell one device two things at once.
DevicesList parse_devices(std::string_view contents, const std::string& default_user);

}  // namespace voq::cli
