#include "frontends/cli/command_line/options.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string_view>

#include <CLI/CLI.hpp>

#include "firmware/embedded.h"
#include "firmware/image.h"
#include "firmware/product.h"
#include "frontends/cli/command_line/command_line_words.h"
#include "frontends/cli/command_line/help_text.h"
#include "frontends/cli/command_line/ipv4_text.h"
#include "frontends/cli/command_line/usage_error.h"
#include "frontends/cli/fleet/device_targets.h"
#include "frontends/cli/run/exit_status.h"
#include "platform/terminal.h"
#include "ui/views.h"

namespace voq::cli {

namespace {

// One paragraph a line: --help wraps them to the terminal.
constexpr std::string_view description =
    "Upgrades the firmware of a VOQ device over the LAN: reads its status page, tells it to fetch the "
    "firmware from this PC's TFTP server, waits out its restart and checks the new version.\n"
    "The password is never an argument: --password-file, the environment variable "
    "VOQ_UPGRADE_PASSWORD, or a prompt without echo on a terminal.";

constexpr std::string_view usage =
    "voq-upgrade-cli [OPTIONS] DEVICE-ADDRESS...\nvoq-upgrade-cli [OPTIONS] --devices FILE";

std::string address_problem(const std::string& text) { return parse_strict_ipv4(text).problem; }
std::string target_problem(const std::string& text) { return parse_target(text).problem; }

std::string count_problem(const std::string& text, unsigned long most)
{
    const bool digits = !text.empty() && text.size() <= 8 && text.find_first_not_of("0123456789") == std::string::npos;
    if (digits && std::stoul(text) >= 1 && std::stoul(text) <= most) return "";
    return "not a number from 1 to " + std::to_string(most) + ": " + text.substr(0, 32);
}

std::string parallel_problem(const std::string& text)
{
    const bool digits = !text.empty() && text.size() <= 4 && text.find_first_not_of("0123456789") == std::string::npos;
    if (digits && std::stoul(text) >= 1 && std::stoul(text) <= 1000) return "";
    return "not a number from 1 to 1000: " + text.substr(0, 32);
}

// Names the program, its version and the firmware it carries.
std::string version_text()
{
    std::string text = "voq-upgrade-cli " + std::string(VOQ_VERSION) + "\n";
    const auto describe = [&](int id, const char* role) {
        const auto bytes = fw::embedded_image(id);
        if (bytes.empty() || fw::check_image(bytes) != fw::ImageFault::none) return;
        const fw::FirmwareImage image = fw::read_image(bytes);
        text += std::string(role) + " firmware " + std::string(fw::version_text(image)) + " for " +
                std::string(fw::identify_product(image.header).display_name) + " (" + std::to_string(image.size) +
                " bytes)\n";
    };
    describe(fw::target_image_id, "target");
    if (fw::built_stage_flag() == 0) describe(fw::transition_image_id, "transition");
    if (!text.empty()) text.pop_back();
    return text;
}

void define(CLI::App& app, Options& o)
{
    const std::size_t width = help_width(platform::terminal::columns(stdout));
    app.formatter(std::make_shared<HelpFormatter>(width, std::string(usage)));
    app.set_help_flag("-h,--help", "this help, fitted to the terminal");
    app.add_option("DEVICE-ADDRESS", o.targets,
                   "the device's IPv4 address or host name; or a range to find the devices in, "
                   "such as 192.168.1.0/24 or 192.168.1.10-40")
        ->type_name("ADDRESS")
        ->check(target_problem);
    app.add_option("--local-address", o.local_address_text,
                   "the PC address the device reaches this PC on (default: the one the system routes through)")
        ->type_name("ADDRESS")
        ->check(address_problem);
    app.add_option("--user", o.user, "the device's administrator user name")->type_name("NAME")->capture_default_str();
    app.add_option("--password-file", o.password_file, "read the password from the first line of FILE")
        ->type_name("FILE");
    app.add_flag("-y,--yes", o.yes, "accept the warning and the confirmation");
    const auto seconds = [](double most) {
        return CLI::Validator([most](std::string& text) { return seconds_problem(text, most); }, "", "");
    };
    app.add_option("--request-timeout", o.request_timeout_s,
                   "seconds to wait for the device's firmware request, 0 for no limit")
        ->type_name("SECONDS")
        ->capture_default_str()
        ->check(seconds(86400));
    app.add_option("--http-timeout", o.http_timeout_s,
                   "seconds to wait for the device's answer to each HTTP request, 0 for no limit")
        ->type_name("SECONDS")
        ->capture_default_str()
        ->check(seconds(86400));
    app.add_option("--restart-wait", o.restart_wait_s, "seconds to wait for the device's restart")
        ->type_name("SECONDS")
        ->capture_default_str()
        ->check(seconds(3600));
    auto* check = app.add_flag_callback(
        "--check", [&o] { o.mode = Mode::check; },
        "read each device's status page and say whether the tool's firmware would "
        "change it (current, outdated, newer, or unreadable: no version on it); send nothing else");
    app.add_flag_callback(
           "--if-needed", [&o] { o.mode = Mode::if_needed; },
           "upgrade only a device that runs an older version than the tool's; leave one that is "
           "current or newer alone")
        ->excludes(check);
    app.add_flag("-q,--quiet", o.quiet, "no progress and no messages but failures");
    app.add_flag(
        "--json", o.json,
        "a JSON object with the result on standard output (several devices: one a device, then their summary)");
    app.add_flag("-v,--verbose", o.verbosity,
                 "every step on standard error, with a time stamp: phases, requests, answers, the system's reasons; "
                 "-vv also every packet");
    app.add_option("--devices", o.devices_file,
                   "upgrade the devices listed in FILE, one a line: ADDRESS [USER [PASSWORD-FILE]], # comments")
        ->type_name("FILE");
    app.add_option("--log", o.log_file,
                   "append the run's support log to FILE, as the desktop programs keep it; with several devices "
                   "FILE is a folder, a log a device")
        ->type_name("FILE");
    app.add_option("--parallel", o.parallel, "with --devices: how many at once")
        ->type_name("N")
        ->capture_default_str()
        ->check(CLI::Validator(parallel_problem, "", ""));
    app.add_option("--connect-timeout", o.connect_timeout_s,
                   "seconds an address of a range has to take a connection on port 80; one that does not is absent")
        ->type_name("SECONDS")
        ->capture_default_str()
        ->check(CLI::Validator(
            [](std::string& text) {
                // No connection is made in no time at all: 0 would find every address absent.
                const std::string problem = seconds_problem(text, 600);
                return problem.empty() && std::stod(text) == 0 ? "not a number of seconds above 0: " + text : problem;
            },
            "", ""));
    app.add_option("--max-hosts", o.most_range_hosts, "most addresses the ranges given may hold together")
        ->type_name("N")
        ->capture_default_str()
        ->check(CLI::Validator([](std::string& text) { return count_problem(text, largest_range_hosts); }, "", ""));
    app.add_option("--max-failures", o.max_failures,
                   "with several devices: start no further device once N have failed; those are not started")
        ->type_name("N")
        ->check(CLI::Validator([](std::string& text) { return count_problem(text, 16777216); }, "", ""));
    app.add_option("--write-devices", o.write_devices,
                   "write the VOQs found into FILE as a devices file, their product and version as a comment")
        ->type_name("FILE");
    app.add_flag("--voq-only", o.voq_only)->group("");          // for the devices of a range
    app.add_option("--trace-label", o.trace_label)->group("");  // for the devices of --devices
    app.set_version_flag("--version", version_text, "the program's version and the firmware it carries");
    app.footer(exit_status_help(width));
}

bool json_asked(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--json") return true;
    return false;
}

}  // namespace

ParsedCommandLine parse_command_line(int argc, char** argv)
{
    Options o;
    const bool json = json_asked(argc, argv);
    const auto usage_error = [&](const std::string& text) {
        return ParsedCommandLine{std::nullopt, report_usage_error(text, json, "", true)};
    };
    if (const std::string given = password_argument(argc, argv); !given.empty())
        return usage_error(given +
                           ": the password is never an argument, where every user of this PC could read it; "
                           "use --password-file FILE, VOQ_UPGRADE_PASSWORD, or the prompt on a terminal");
    CLI::App app(std::string(description), "voq-upgrade-cli");
    define(app, o);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return {std::nullopt, app.exit(e)};
    } catch (const CLI::CallForVersion& e) {
        return {std::nullopt, app.exit(e)};
    } catch (const CLI::ParseError& e) {
        return usage_error(usage_problem(e, app, argc, argv));
    }
    if (o.devices_file.empty() == o.targets.empty())
        return usage_error(o.targets.empty() ? "give a DEVICE-ADDRESS or --devices FILE"
                                             : "give either a DEVICE-ADDRESS or --devices FILE, not both");
    o.verbose = o.verbosity > 0;
    if (o.voq_only && o.mode == Mode::upgrade) o.mode = Mode::upgrade_voq;
    if (o.targets.size() == 1) {
        const DeviceTarget target = parse_target(o.targets[0]);
        if (target.kind == TargetKind::address) o.device_address = target.first;
        if (target.kind == TargetKind::address) o.device = ui::dotted(o.device_address);
        if (target.kind == TargetKind::name) o.device_name = o.targets[0];
    }
    if (!o.local_address_text.empty()) o.local_address = parse_strict_ipv4(o.local_address_text).address;
    return {o, 0};
}

std::string password_argument(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") break;
        if (argument == "--password" || argument.starts_with("--password=")) return "--password";
        // No short option of this program has a p: "-vp" is -v and a password too.
        if (argument.starts_with("-") && !argument.starts_with("--") && argument.find('p') != std::string_view::npos)
            return "-p";
        // The value of an option that takes one is not an option of its own.
        if (argument == "--user" || argument == "--password-file" || argument == "--devices" ||
            argument == "--local-address" || argument == "--trace-label" || argument == "--log" ||
            argument == "--write-devices")
            ++i;
    }
    return "";
}

std::string seconds_problem(const std::string& text, double most)
{
    double value = 0;
    std::istringstream read(text);
    read >> value;
    if (read.fail() || !read.eof() || !std::isfinite(value) || value < 0 || value > most) {
        std::ostringstream problem;
        problem << "not a number of seconds from 0 to " << most << ": " << text.substr(0, 32);
        return problem.str();
    }
    return "";
}

std::uint32_t timeout_ms(double seconds)
{
    return seconds > 0 ? std::max<std::uint32_t>(1, static_cast<std::uint32_t>(seconds * 1000.0)) : 0;
}

std::vector<std::string> device_arguments(const Options& shared, const std::string& device, const std::string& user,
                                          const std::string& password_file, std::uint32_t local_address)
{
    std::vector<std::string> arguments{device,          "--yes", "--json",          "--quiet",
                                       "--user",        user,    "--local-address", ui::dotted(local_address),
                                       "--trace-label", device};
    if (!password_file.empty()) arguments.insert(arguments.end(), {"--password-file", password_file});
    std::ostringstream timeout, http, wait;
    timeout << shared.request_timeout_s;
    http << shared.http_timeout_s;
    wait << shared.restart_wait_s;
    arguments.insert(arguments.end(),
                     {"--request-timeout", timeout.str(), "--http-timeout", http.str(), "--restart-wait", wait.str()});
    for (int level = 0; level < shared.verbosity; ++level) arguments.push_back("--verbose");
    if (shared.mode == Mode::check) arguments.push_back("--check");
    if (shared.mode == Mode::if_needed) arguments.push_back("--if-needed");
    return arguments;
}

std::uint32_t restart_wait_ms(double seconds) { return static_cast<std::uint32_t>(std::floor(seconds * 1000.0)); }

}  // namespace voq::cli
