#include "sim/options.h"

#include <cstdint>
#include <map>

#include <CLI/CLI.hpp>

#include "app/device_address.h"
#include "ui/views.h"

namespace voq::sim {

namespace {

const std::map<std::string, WebFault, std::less<>> web_faults = {
    {"none", WebFault::none},
    {"http-1.0", WebFault::http_1_0},
    {"error-status", WebFault::error_status},
    {"basic-challenge", WebFault::basic_challenge},
    {"challenge-without-header", WebFault::challenge_without_header},
    {"oversized-answer", WebFault::oversized_answer},
    {"nul-in-answer", WebFault::nul_in_answer},
    {"close-without-answer", WebFault::close_without_answer},
    {"never-close", WebFault::never_close},
    {"refuse-connections", WebFault::refuse_connections},
    {"busy-upgrade", WebFault::busy_upgrade},
};

const std::map<std::string, NoncePolicy, std::less<>> nonce_policies = {
    {"fixed", NoncePolicy::fixed},
    {"every-challenge", NoncePolicy::every_challenge},
    {"after-restart", NoncePolicy::after_restart},
};

}  // namespace

std::string usage_text()
{
    return "usage: voq-device-sim [options]\n"
           "A simulated VOQ device: its web server with the status page /admin/advanced and the\n"
           "upgrade request /admin/upgrade?tftp://ADDRESS:PORT/NAME.\n"
           "\n"
           "  --address A            the device's IPv4 address (default 127.0.0.2)\n"
           "  --port N               the web server's TCP port (default 80)\n"
           "  --product-name T       identity on the status page\n"
           "  --mac-address T\n"
           "  --software-version T   (default 2.0.12(SE))\n"
           "  --hardware-version T\n"
           "  --serial-number T\n"
           "  --password P           protect the pages with Digest authentication\n"
           "  --user U               the user name that goes with it (default admin)\n"
           "  --realm R              (default \"VOQ Device\")\n"
           "  --qop Q                none, auth, auth-int or a list such as auth,auth-int (default none)\n"
           "  --algorithm A          none, MD5 or MD5-sess (default none: left out of the challenge)\n"
           "  --opaque O             an opaque value for the challenge\n"
           "  --nonce POLICY         fixed, every-challenge or after-restart (default after-restart)\n"
           "  --session-key-from-hex MD5-sess keys from the hexadecimal H(A1), as RFC 2617's text has it\n"
           "  --fault F              misbehave: http-1.0, error-status, basic-challenge,\n"
           "                         challenge-without-header, oversized-answer, nul-in-answer,\n"
           "                         close-without-answer, never-close, refuse-connections\n"
           "  --error-status N       the status of --fault error-status (default 404)\n"
           "  --answer-delay MS      wait this long before answering each request\n"
           "  --lenient              take any request line and Host, and check only the credentials\n"
           "                         and the response of an Authorization line (curl's eight-digit nc)\n"
           "\n"
           "After an upgrade request its TFTP client fetches the file, installs it and restarts:\n"
           "  --request-delay MS     from the upgrade request to the read request (default 100)\n"
           "  --restart-time MS      how long the web server is gone (default 2000)\n"
           "  --linger MS            stay this long after the last acknowledgement (default 600)\n"
           "  --report-version V     the version reported after the restart (default: the image's)\n"
           "  --ack-loss SHARE       leave out this share (0 to 1) of the acknowledgements\n"
           "  --duplicate-acks       send every acknowledgement twice\n"
           "  --data-loss SHARE      take this share (0 to 1) of the DATA packets as lost\n"
           "  --stale-acks           after each acknowledgement, the one before it again\n"
           "  --ack-delay MS         acknowledge every hundredth block this late\n"
           "  --acks-from-other-port acknowledge from a port the server does not know\n"
           "  --stray-packets        a stray packet from another port before each acknowledgement\n"
           "  --error-instead-of-ack0 refuse the options with an ERROR\n"
           "  --pause-at-block K --pause MS  stop for MS before acknowledging block K\n"
           "  --silent-from-block K  acknowledge nothing from block K on\n"
           "  --follow-new-port      take the server's answers from whatever port it first answers\n"
           "                         from (RFC 1350), not only from the one asked\n"
           "  --wrong-name-first     ask for a wrong file name first\n"
           "  --never-request        never ask for the file\n"
           "  --help                 this text\n";
}

std::variant<Options, std::string> parse_options(int argc, const char* const* argv)
{
    Options options;
    WebConfig& web = options.device.web;
    TftpConfig& tftp = options.device.tftp;
    std::string address, qop, algorithm, nonce, fault;

    CLI::App app("voq-device-sim");
    // The usage text is this program's own; a setting given twice keeps its last value.
    app.set_help_flag();
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

    app.add_flag("--help", options.help);
    app.add_flag("--session-key-from-hex", web.digest.session_key_from_hex);
    app.add_flag("--lenient", [&web](std::int64_t) { web.strict = false; });
    app.add_flag("--follow-new-port", tftp.follow_new_port);
    app.add_flag("--duplicate-acks", tftp.faults.duplicate_acks);
    app.add_flag("--acks-from-other-port", tftp.faults.acks_from_other_port);
    app.add_flag("--stray-packets", tftp.faults.stray_packets);
    app.add_flag("--error-instead-of-ack0", tftp.faults.error_instead_of_ack0);
    app.add_flag("--wrong-name-first", tftp.faults.wrong_name_first);
    app.add_flag("--never-request", tftp.faults.never_request);
    app.add_flag("--stale-acks", tftp.faults.stale_acks);

    app.add_option("--address", address);
    app.add_option("--port", web.port)->check(CLI::Range(1, 65535));
    app.add_option("--product-name", web.identity.product_name);
    app.add_option("--mac-address", web.identity.mac_address);
    app.add_option("--software-version", web.identity.software_version);
    app.add_option("--hardware-version", web.identity.hardware_version);
    app.add_option("--serial-number", web.identity.serial_number);
    app.add_option_function<std::string>("--password", [&web](const std::string& password) {
        web.digest.enabled = true;
        web.digest.password = password;
    });
    app.add_option("--user", web.digest.user);
    app.add_option("--realm", web.digest.realm);
    app.add_option("--qop", qop);
    app.add_option("--algorithm", algorithm)->check(CLI::IsMember({"none", "MD5", "MD5-sess"}));
    app.add_option("--opaque", web.digest.opaque);
    app.add_option("--nonce", nonce);
    app.add_option("--fault", fault);
    app.add_option("--error-status", web.error_status)->check(CLI::Range(100, 599));
    app.add_option("--answer-delay", web.answer_delay_ms);
    app.add_option("--request-delay", tftp.request_delay_ms);
    app.add_option("--restart-time", tftp.restart_ms);
    app.add_option("--linger", tftp.dally_ms);
    app.add_option("--report-version", tftp.faults.reported_version);
    app.add_option("--ack-loss", tftp.faults.ack_loss)->check(CLI::Range(0.0, 1.0));
    app.add_option("--data-loss", tftp.faults.data_loss)->check(CLI::Range(0.0, 1.0));
    app.add_option("--ack-delay", tftp.faults.ack_delay_ms);
    app.add_option("--pause-at-block", tftp.faults.pause_at_block);
    app.add_option("--pause", tftp.faults.pause_ms);
    app.add_option("--silent-from-block", tftp.faults.silent_from_block);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return std::string(error.what());
    }
    if (app.count("--address") > 0 &&
        (app::parse_device_address(address, &web.address) != app::AddressCode::accepted || web.address == 0))
        return "bad value for --address: " + address;
    if (app.count("--nonce") > 0) {
        const auto found = nonce_policies.find(nonce);
        if (found == nonce_policies.end()) return "bad value for --nonce: " + nonce;
        web.digest.nonce_policy = found->second;
    }
    if (app.count("--fault") > 0) {
        const auto found = web_faults.find(fault);
        if (found == web_faults.end()) return "bad value for --fault: " + fault;
        web.fault = found->second;
    }
    if (app.count("--qop") > 0) web.digest.qop = qop == "none" ? "" : qop;
    if (app.count("--algorithm") > 0) web.digest.algorithm = algorithm == "none" ? "" : algorithm;
    return options;
}

std::string describe(const DeviceConfig& device)
{
    const WebConfig& config = device.web;
    std::string text =
        "device at " + ui::dotted(config.address) + ", web server on TCP port " + std::to_string(config.port) + "\n";
    text += "  reports: product \"" + config.identity.product_name + "\", MAC " + config.identity.mac_address +
            ", software \"" + config.identity.software_version + "\", hardware \"" + config.identity.hardware_version +
            "\", serial \"" + config.identity.serial_number + "\"\n";
    if (config.digest.enabled) {
        text += "  Digest authentication: user \"" + config.digest.user + "\", password \"" + config.digest.password +
                "\", realm \"" + config.digest.realm + "\", qop \"" + config.digest.qop + "\", algorithm \"" +
                config.digest.algorithm + "\"\n";
    } else {
        text += "  no password\n";
    }
    for (const auto& [name, fault] : web_faults) {
        if (fault == config.fault && fault != WebFault::none) text += "  misbehaving: " + name + "\n";
    }
    text += "  TFTP: asks " + std::to_string(device.tftp.request_delay_ms) +
            " ms after the upgrade request, restarts for " + std::to_string(device.tftp.restart_ms) + " ms\n";
    return text;
}

}  // namespace voq::sim
