#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frontends/cli/run/standing.h"
#include "session/settings.h"
#include "ui/texts.h"

namespace voq::cli {

struct Options {
    std::string device;                // in canonical dotted form
    std::string device_name;           // the host name the device was given by, if any
    std::vector<std::string> targets;  // as given: addresses, host names, ranges
    std::uint32_t device_address = 0;
    std::string local_address_text;
    std::optional<std::uint32_t> local_address;
    std::string user = std::string(ui::text::default_user_name);
    std::string password_file;
    bool yes = false;
    Mode mode = Mode::upgrade;  // --check, --if-needed
    bool quiet = false;
    bool json = false;
    bool verbose = false;  // -v: phases, requests, answers, reasons
    int verbosity = 0;     // -vv: every packet besides
    double request_timeout_s = 120;
    double http_timeout_s = 60;
    double restart_wait_s = session::settings::restart_wait_ms / 1000.0;
    std::string devices_file;
    std::string log_file;  // the support log of a one-device run
    unsigned parallel = 10;
    double connect_timeout_s = 2;           // a range's host that takes no connection sooner is absent
    std::uint32_t most_range_hosts = 4096;  // --max-hosts
    unsigned max_failures = 0;              // 0: every device is started
    std::string write_devices;              // the devices file to write the VOQs found into
    bool voq_only = false;                  // an address of a range: no upgrade without a version read
    std::string trace_label;                // set for each device of a many-device run
};

// The command line read; or the status to end with at once (0 after --help, 1 after a
// usage error, its message already printed).
struct ParsedCommandLine {
    std::optional<Options> options;
    int status = 0;
};

ParsedCommandLine parse_command_line(int argc, char** argv);

// The arguments that give a device of a many-device run its options, as its own
// command line would.
std::vector<std::string> device_arguments(const Options& shared, const std::string& device, const std::string& user,
                                          const std::string& password_file, std::uint32_t local_address);

// The restart wait as the core holds it (the range of --restart-wait keeps it small).
std::uint32_t restart_wait_ms(double seconds);

// A time-out as the screens count it: 0 waits without end; any other, however short, is one.
std::uint32_t timeout_ms(double seconds);

// A problem with a number of seconds the user gave: not finite, or out of 0 to most.
std::string seconds_problem(const std::string& text, double most);

// The option that tries to give the password as an argument, to refuse it without
// repeating its value; empty when there is none.
std::string password_argument(int argc, char** argv);

}  // namespace voq::cli
