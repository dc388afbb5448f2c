#include "frontends/cli/options.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include <CLI/CLI.hpp>

#include "app/device_address.h"
#include "frontends/cli/exit_status.h"
#include "ui/views.h"

namespace voq::cli {

namespace {

constexpr std::string_view description =
    "Upgrades the firmware of a VOQ device over the LAN: reads its status page, tells it to fetch the\n"
    "firmware from this PC's TFTP server, waits out its restart and checks the new version.\n"
    "The password is never an argument: --password-file, the environment variable\n"
    "VOQ_UPGRADE_PASSWORD, or a prompt without echo on a terminal.";

// Checks an IPv4 address as the address screen does; "" when it parses.
std::string address_problem(const std::string& text)
{
    std::uint32_t address = 0;
    if (app::parse_device_address(text, &address) != app::AddressCode::accepted || address == 0)
        return "not an IPv4 address: " + text;
    return "";
}

void define(CLI::App& app, Options& o)
{
    app.add_option("DEVICE-ADDRESS", o.device, "the device's IPv4 address")->type_name("ADDRESS")->check(address_problem);
    app.add_option("--local-address", o.local_address_text,
                   "the PC address the device reaches this PC on (default: the one the system routes through)")
        ->type_name("ADDRESS")->check(address_problem);
    app.add_option("--user", o.user, "the device's administrator user name")->type_name("NAME")->capture_default_str();
    app.add_option("--password-file", o.password_file, "read the password from the first line of FILE")->type_name("FILE");
    app.add_flag("-y,--yes", o.yes, "accept the warning and the confirmation");
    app.add_option("--request-timeout", o.request_timeout_s,
                   "seconds to wait for the device's firmware request (0: no limit)")
        ->type_name("SECONDS")->capture_default_str()->check(CLI::Range(0.0, 86400.0).description(""));
    app.add_option("--restart-wait", o.restart_wait_s, "seconds to wait for the device's restart")
        ->type_name("SECONDS")->capture_default_str()->check(CLI::Range(0.0, 3600.0).description(""));
    app.add_flag("-q,--quiet", o.quiet, "no progress and no messages but failures");
    app.add_flag("--json", o.json, "a JSON object with the result on standard output (one a device with --devices)");
    app.add_flag("-v,--verbose", o.verbose, "every step on standard error, with a time stamp");
    auto* devices = app.add_option("--devices", o.devices_file,
                   "upgrade the devices listed in FILE, one a line: ADDRESS [USER [PASSWORD-FILE]], # comments")->type_name("FILE");
    app.add_option("--log", o.log_file, "append the run's support log to FILE, as the desktop programs keep it")
        ->type_name("FILE")->excludes(devices);
    app.add_option("--parallel", o.parallel, "with --devices: how many at once")
        ->type_name("N")->capture_default_str()->check(CLI::Range(1u, 1000u).description(""));
    app.add_option("--trace-label", o.trace_label)->group("");  // for the children of --devices
    app.set_version_flag("--version", std::string(VOQ_VERSION));
    app.footer(std::string(exit_status_help()));
}

int usage_error(const std::string& text)
{
    std::fprintf(stderr, "voq-upgrade-cli: %s\nRun with --help for more information.\n", text.c_str());
    return exit_status_of(Outcome::usage);
}

}  // namespace

ParsedCommandLine parse_command_line(int argc, char** argv)
{
    Options o;
    CLI::App app(std::string(description), "voq-upgrade-cli");
    define(app, o);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return {std::nullopt, app.exit(e)};
    } catch (const CLI::CallForVersion& e) {
        return {std::nullopt, app.exit(e)};
    } catch (const CLI::ParseError& e) {
        return {std::nullopt, usage_error(e.what())};
    }
    if (o.devices_file.empty() == o.device.empty())
        return {std::nullopt, usage_error(o.device.empty() ? "give a DEVICE-ADDRESS or --devices FILE"
                                                           : "give either a DEVICE-ADDRESS or --devices FILE, not both")};
    if (!o.device.empty()) app::parse_device_address(o.device, &o.device_address);
    if (!o.local_address_text.empty()) {
        std::uint32_t local = 0;
        app::parse_device_address(o.local_address_text, &local);
        o.local_address = local;
    }
    return {o, 0};
}

std::vector<std::string> child_arguments(const Options& shared, const std::string& device, const std::string& user,
                                         const std::string& password_file, std::uint32_t local_address)
{
    std::vector<std::string> arguments{device, "--yes", "--json", "--quiet", "--user", user, "--local-address",
                                       ui::dotted(local_address), "--trace-label", device};
    if (!password_file.empty()) arguments.insert(arguments.end(), {"--password-file", password_file});
    std::ostringstream timeout, wait;
    timeout << shared.request_timeout_s;
    wait << shared.restart_wait_s;
    arguments.insert(arguments.end(), {"--request-timeout", timeout.str(), "--restart-wait", wait.str()});
    if (shared.verbose) arguments.push_back("--verbose");
    return arguments;
}

std::uint32_t restart_wait_ms(double seconds) { return static_cast<std::uint32_t>(std::floor(seconds * 1000.0)); }

}  // namespace voq::cli
