#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "frontends/cli/command_line/options.h"
#include "frontends/cli/fleet/devices_file.h"
#include "frontends/cli/run/run_record.h"

namespace voq::cli {

// Probing a range holds a socket and a thread for each address at once.
inline constexpr unsigned most_probes_at_once = 64;

// The devices of --devices FILE, or of the arguments (line 0); a problem names the file.
DevicesList listed_devices(const Options& o, std::string& problem);

// Whether the run is about several devices: a devices file, several arguments or a range.
bool several_devices(const Options& o);
// Whether the run takes the many-device path: several devices, or a devices file to write.
bool many_devices(const Options& o);

// A device given by its host name: its address put into o; else the status to end
// with, the resolver's reason reported.
std::optional<int> resolve_device_name(Options& o);

// An address of a range that answered as a web server but gave no version is no VOQ:
// no failure, and it was sent nothing but the status page's request.
RunRecord found_in_range(RunRecord record, bool in_range);

// A device as a person reads it: its address, after the name it was given by.
std::string shown_device(const RunRecord& record);

bool fails(const RunRecord& record);
std::string not_started_message(unsigned max_failures);
std::string absent_line(std::size_t absent, double connect_timeout_s);

// The VOQs among records as a devices file: a line each, its product and version as a
// comment; --devices reads it back.
std::string devices_file_text(const std::vector<RunRecord>& records);
bool write_devices_file(const std::string& path, const std::vector<RunRecord>& records);

}  // namespace voq::cli
