#include "frontends/cli/run/single_run.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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

std::uint32_t chosen_pc_address = 0;

std::vector<std::uint32_t> the_chosen_pc_address() { return {chosen_pc_address}; }

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

}  // namespace

int run_one_device(const Options& o)
{
    if (o.parent_process != 0) platform::end_with_parent(o.parent_process);
    const auto usage_error = [&](const std::string& text) { return report_usage_error(text, o.json, o.device); };
    if (!platform::start_socket_library()) return usage_error("the socket library did not start");
    const bool interactive = platform::terminal::is_terminal(stdin);
    const auto user = ui::credential_from_utf8(o.user);
    if (!user) return usage_error("--user: " + std::string(ui::text::unsendable_credentials));
    const PasswordChoice password = choose_password(o, interactive);
    if (!password.problem.empty()) return usage_error(password.problem);
    if (!password.warning.empty()) std::fprintf(stderr, "voq-upgrade-cli: %s\n", password.warning.c_str());

    static Console console({o.quiet, o.json, o.verbose, o.trace_label, o.verbosity >= 2});
    std::string problem;
    chosen_pc_address = choose_pc_address(o, console, problem);
    if (chosen_pc_address == 0) return usage_error(problem);
    problem = subnet_address_problem(o.device_address, chosen_pc_address, platform::netmask_of(chosen_pc_address));
    if (!problem.empty()) return usage_error(problem);

    static RunRecord record;
    record.device = o.device;
    record.name = o.device_name;
    if (!o.device_name.empty()) console.say(o.device_name + " is " + o.device);
    record.pc_address = ui::dotted(chosen_pc_address);
    static PasswordSupply passwords(password.origin, password.password, console);
    static ui::SupportLog log;
    if (!o.log_file.empty()) {
        log = ui::SupportLog::to_file(o.log_file);
        // Like the desktop programs' log, one that cannot be written changes nothing else.
        if (!log.writing()) console.error("voq-upgrade-cli: cannot write the log " + o.log_file);
        log.begin("voq-upgrade-cli", VOQ_VERSION);
    }
    static CliScreens screens({o.yes, interactive, timeout_ms(o.request_timeout_s), timeout_ms(o.http_timeout_s), *user,
                               chosen_pc_address, o.device_address, &log, o.mode, o.parent_process == 0},
                              console, passwords, record);

    // Like the desktop programs', the Session lives for the whole process.
    static session::Session session(fw::built_stage_flag());
    session.restart_wait_ms = restart_wait_ms(o.restart_wait_s);
    app::StartupServices services = app::standard_startup_services();
    services.local_addresses = the_chosen_pc_address;
    app::program_entry(session, screens, services);
    return screens.finish();
}

}  // namespace voq::cli
