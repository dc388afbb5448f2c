// voq-upgrade-cli: the upgrade of one device, or of a list of them, from a terminal
// or a script; the same core as the desktop programs, with an exit status that says
// how it went.

#include "frontends/cli/command_line/options.h"
#include "frontends/cli/fleet/estate.h"
#include "frontends/cli/fleet/fleet.h"
#include "frontends/cli/run/single_run.h"
#include "platform/process.h"
#include "platform/terminal.h"

int main(int argc, char** argv)
{
    voq::platform::terminal::install_interrupt_handler();
    const voq::cli::ParsedCommandLine parsed = voq::cli::parse_command_line(argc, argv);
    if (!parsed.options) return parsed.status;
    voq::cli::Options options = *parsed.options;
    // A list's runs may leave threads behind that are still on their way out: the
    // process ends without tearing down what they might touch.
    if (voq::cli::many_devices(options)) voq::platform::end_process_with_status(voq::cli::run_fleet(options));
    if (const auto unresolved = voq::cli::resolve_device_name(options)) return *unresolved;
    return voq::cli::run_one_device(options);
}
