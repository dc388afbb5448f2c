#include "frontends/cli/single_run.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "app/entry.h"
#include "app/startup.h"
#include "firmware/embedded.h"
#include "frontends/cli/cli_screens.h"
#include "frontends/cli/credentials.h"
#include "ui/credential_bytes.h"
#include "frontends/cli/record_json.h"
#include "frontends/cli/system.h"
#include "frontends/cli/terminal.h"
#include "platform/route.h"
#include "platform/socket.h"
#include "platform/socket_address.h"
#include "session/session.h"
#include "ui/support_log.h"
#include "ui/texts.h"
#include "ui/views.h"

namespace voq::cli {

namespace {

std::uint32_t chosen_pc_address = 0;

std::vector<std::uint32_t> the_chosen_pc_address() { return {chosen_pc_address}; }

int usage_error(const std::string& text)
{
    std::fprintf(stderr, "voq-upgrade-cli: %s\n", text.c_str());
    return exit_status_of(Outcome::usage);
}

struct PasswordChoice {
    PasswordOrigin origin = PasswordOrigin::none;
    std::string password;
    std::string problem;  // a usage error
};

PasswordChoice choose_password(const Options& o, bool interactive)
{
    PasswordChoice choice;
    std::string typed;
    if (!o.password_file.empty()) {
        std::ifstream file(o.password_file, std::ios::binary);
        if (!file) return {PasswordOrigin::none, "", "cannot read the password file " + o.password_file};
        const std::string contents{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (file.bad()) return {PasswordOrigin::none, "", "cannot read the password file " + o.password_file};
        typed = first_line(contents);
        choice.origin = PasswordOrigin::file;
    } else if (const auto from_environment = system::environment_text("VOQ_UPGRADE_PASSWORD")) {
        typed = *from_environment;
        choice.origin = PasswordOrigin::environment;
    } else {
        choice.origin = interactive ? PasswordOrigin::prompt : PasswordOrigin::none;
        return choice;
    }
    const auto sendable = ui::credential_from_utf8(typed);
    if (!sendable) return {PasswordOrigin::none, "", std::string(ui::text::unsendable_credentials)};
    choice.password = *sendable;
    return choice;
}

// The PC address given, or the system's route to the device; a usage problem when
// the given one is no address of this PC.
std::uint32_t choose_pc_address(const Options& o, Console& console, std::string& problem)
{
    if (o.local_address) {
        platform::Socket probe(platform::open_datagram_socket());
        if (platform::bind_socket(probe.handle(), platform::fill_socket_address(*o.local_address, 0)) !=
            platform::BindResult::bound) {
            problem = "--local-address " + ui::dotted(*o.local_address) + ": " +
                      platform::socket_error_text(platform::last_socket_error());
            return 0;
        }
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
    if (!platform::start_socket_library()) return usage_error("the socket library did not start");
    const bool interactive = terminal::is_terminal(stdin);
    const auto user = ui::credential_from_utf8(o.user);
    if (!user) return usage_error("--user: " + std::string(ui::text::unsendable_credentials));
    const PasswordChoice password = choose_password(o, interactive);
    if (!password.problem.empty()) return usage_error(password.problem);

    static Console console({o.quiet, o.json, o.verbose, o.trace_label});
    std::string problem;
    chosen_pc_address = choose_pc_address(o, console, problem);
    if (chosen_pc_address == 0) return usage_error(problem);

    static RunRecord record;
    record.device = o.device;
    record.pc_address = ui::dotted(chosen_pc_address);
    static PasswordSupply passwords(password.origin, password.password, console);
    // 0 waits without end; any other time-out, however short, is one.
    const auto timeout_ms =
        o.request_timeout_s > 0 ? std::max<std::uint32_t>(1, static_cast<std::uint32_t>(o.request_timeout_s * 1000.0)) : 0;
    static ui::SupportLog log;
    if (!o.log_file.empty()) {
        log = ui::SupportLog::to_file(o.log_file);
        // Like the desktop programs' log, one that cannot be written changes nothing else.
        if (!log.writing()) console.error("voq-upgrade-cli: cannot write the log " + o.log_file);
        log.begin("voq-upgrade-cli", VOQ_VERSION);
    }
    static CliScreens screens({o.yes, interactive, timeout_ms, *user, chosen_pc_address, o.device_address, &log},
                              console, passwords, record);
    terminal::install_interrupt_handler();

    // Like the desktop programs', the Session lives for the whole process.
    static session::Session session(fw::built_stage_flag());
    session.restart_wait_ms = restart_wait_ms(o.restart_wait_s);
    app::StartupServices services = app::standard_startup_services();
    services.local_addresses = the_chosen_pc_address;
    app::program_entry(session, nullptr, screens, services);
    return screens.finish();
}

}  // namespace voq::cli
