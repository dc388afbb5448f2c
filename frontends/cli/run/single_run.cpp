#include "frontends/cli/run/single_run.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

#include "app/entry.h"
#include "app/startup.h"
#include "firmware/embedded.h"
#include "frontends/cli/command_line/ipv4_text.h"
#include "frontends/cli/command_line/pc_address.h"
#include "frontends/cli/command_line/usage_error.h"
#include "frontends/cli/run/cli_screens.h"
#include "frontends/cli/run/record_json.h"
#include "frontends/cli/terminal/credentials.h"
#include "frontends/cli/terminal/password_file.h"
#include "platform/child_process.h"
#include "platform/environment.h"
#include "platform/local_addresses.h"
#include "platform/route.h"
#include "platform/socket.h"
#include "platform/socket_address.h"
#include "platform/terminal.h"
#include "session/session.h"
#include "ui/credential_bytes.h"
#include "ui/support_log.h"
#include "ui/texts.h"
#include "ui/views.h"

namespace voq::cli {

namespace {

struct PasswordChoice {
    PasswordOrigin origin = PasswordOrigin::none;
    std::string password;
    std::string problem;  // a usage error
    std::string warning;
};

PasswordChoice choose_password(const Options& o, bool interactive)
{
    PasswordChoice choice;
    std::string typed;
    if (!o.password_file.empty()) {
        const PasswordFromFile read = read_password_file(o.password_file);
        if (!read.problem.empty()) return {PasswordOrigin::none, "", read.problem, ""};
        return {PasswordOrigin::file, read.password, "", read.warning};
    }
    if (const auto from_environment = platform::environment_text("VOQ_UPGRADE_PASSWORD")) {
        typed = *from_environment;
        choice.origin = PasswordOrigin::environment;
    } else {
        choice.origin = interactive ? PasswordOrigin::prompt : PasswordOrigin::none;
        return choice;
    }
    const auto sendable = ui::credential_from_utf8(typed);
    if (!sendable) return {PasswordOrigin::none, "", std::string(ui::text::unsendable_credentials), ""};
    choice.password = *sendable;
    return choice;
}

// The PC address given, or the system's route to the device; a usage problem when
// the given one is no address of this PC.
std::uint32_t choose_pc_address(const Options& o, Console& console, std::string& problem)
{
    if (o.local_address) {
        problem = local_address_problem(*o.local_address);
        if (!problem.empty()) return 0;
        console.say("PC address " + ui::dotted(*o.local_address));
        return *o.local_address;
    }
    const std::uint32_t routed = platform::source_address_towards(o.device_address);
    if (routed == 0) {
        problem = "no route from this PC to " + ui::dotted(o.device_address) + "; give --local-address";
        return 0;
    }
    console.say("PC address " + ui::dotted(routed) + " (the system's route to the device)");
    return routed;
}

// A list's run tells its errors only with -v, and only in its trace: the list tells the
// rest from its record.
Console::Settings console_settings(const Options& o, bool one_of_several)
{
    return {o.quiet, o.json, o.verbose, o.trace_label, o.verbosity >= 2, o.verbose || !one_of_several};
}

// One device's run and all it keeps. A device alone has the process's, never freed;
// each of a list's runs has its own, freed when the last of its threads ends.
struct DeviceRun {
    DeviceRun(const Options& o, const ScreenSettings& settings, const PasswordChoice& password)
        : console(console_settings(o, settings.one_of_several)), passwords(password.origin, password.password, console),
          screens(with_log(settings), console, passwords, record), session(fw::built_stage_flag())
    {
        session.restart_wait_ms = restart_wait_ms(o.restart_wait_s);
    }

    ScreenSettings with_log(ScreenSettings settings)
    {
        settings.log = &log;
        return settings;
    }

    Console console;
    RunRecord record;
    PasswordSupply passwords;
    ui::SupportLog log;
    CliScreens screens;
    session::Session session;
};

// Everything a run needs before it starts, or the usage problem that stops it.
struct RunSetup {
    std::optional<std::string> user;
    PasswordChoice password;
    std::uint32_t pc_address = 0;
    std::string problem;
};

RunSetup set_up(const Options& o, Console& console, bool interactive, bool one_of_several)
{
    RunSetup setup;
    setup.user = ui::credential_from_utf8(o.user);
    if (!setup.user) return {{}, {}, 0, "--user: " + std::string(ui::text::unsendable_credentials)};
    setup.password = choose_password(o, interactive);
    if (!setup.password.problem.empty()) return {{}, {}, 0, setup.password.problem};
    // A list warns of its password files once, before any device starts.
    if (!setup.password.warning.empty() && !one_of_several)
        std::fprintf(stderr, "voq-upgrade-cli: %s\n", setup.password.warning.c_str());
    setup.pc_address = choose_pc_address(o, console, setup.problem);
    if (setup.pc_address == 0) return setup;
    setup.problem = subnet_address_problem(o.device_address, setup.pc_address, platform::netmask_of(setup.pc_address));
    return setup;
}

ScreenSettings screen_settings(const Options& o, const RunSetup& setup, bool interactive, bool one_of_several)
{
    return {o.yes,
            interactive,
            timeout_ms(o.request_timeout_s),
            timeout_ms(o.http_timeout_s),
            *setup.user,
            setup.pc_address,
            o.device_address,
            nullptr,
            o.mode,
            one_of_several};
}

void start_log(const Options& o, DeviceRun& run)
{
    if (!o.device_name.empty()) run.console.say(o.device_name + " is " + o.device);
    if (o.log_file.empty()) return;
    run.log = ui::SupportLog::to_file(o.log_file);
    // Like the desktop programs' log, one that cannot be written changes nothing else.
    if (!run.log.writing()) run.console.error("voq-upgrade-cli: cannot write the log " + o.log_file);
    run.log.begin("voq-upgrade-cli", VOQ_VERSION);
}

void enter(DeviceRun& run, std::uint32_t pc_address)
{
    app::StartupServices services = app::standard_startup_services();
    services.local_addresses = [pc_address] { return std::vector<std::uint32_t>{pc_address}; };
    app::program_entry(run.session, run.screens, services);
}

void fill_record(const Options& o, const RunSetup& setup, RunRecord& record)
{
    record.device = o.device;
    record.name = o.device_name;
    record.pc_address = ui::dotted(setup.pc_address);
}

}  // namespace

int run_one_device(const Options& o)
{
    const auto usage_error = [&](const std::string& text) { return report_usage_error(text, o.json, o.device); };
    if (!platform::start_socket_library()) return usage_error("the socket library did not start");
    const bool interactive = platform::terminal::is_terminal(stdin);
    Console setup_console(console_settings(o, false));
    const RunSetup setup = set_up(o, setup_console, interactive, false);
    if (!setup.problem.empty()) return usage_error(setup.problem);

    // Like the desktop programs', the run lives for the whole process, which may end on any of its threads.
    static DeviceRun* const run = new DeviceRun(o, screen_settings(o, setup, interactive, false), setup.password);
    fill_record(o, setup, run->record);
    start_log(o, *run);
    enter(*run, setup.pc_address);
    return run->screens.finish();
}

RunRecord run_device_here(const Options& o, std::shared_ptr<void> port_hold)
{
    Console setup_console(console_settings(o, true));
    const RunSetup setup = set_up(o, setup_console, false, true);
    if (!setup.problem.empty()) {
        RunRecord record;
        record.device = o.device;
        record.outcome = Outcome::usage;
        record.message = setup.problem;
        return record;
    }
    const auto run = std::make_shared<DeviceRun>(o, screen_settings(o, setup, false, true), setup.password);
    run->session.owner = run;
    run->session.port_hold = std::move(port_hold);
    fill_record(o, setup, run->record);
    start_log(o, *run);
    // The run's threads hold it: this one, the listener's and each request's worker.
    try {
        std::thread([run, pc_address = setup.pc_address] {
            try {
                enter(*run, pc_address);
                run->screens.finish();
            } catch (const ui::RunEnded&) {
            } catch (...) {
                run->screens.finish();  // as a run that ended without a result; the list goes on
            }
            // Only this thread starts the listener, which takes the hold; without one it goes here.
            run->session.port_hold.reset();
        }).detach();
    } catch (const std::system_error& error) {
        RunRecord record = run->record;
        record.outcome = Outcome::pc_failure;
        record.message = "Upgrade Failed: cannot start the device's run: " + std::string(error.what());
        return record;
    }
    return run->screens.finished_record();
}

}  // namespace voq::cli
