#include "sim/options.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <map>

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

template <typename Number>
bool read_number(std::string_view text, Number& number)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc{} && end == text.data() + text.size() && !text.empty();
}

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
    for (int k = 1; k < argc; ++k) {
        const std::string_view option = argv[k];
        if (option == "--help") {
            options.help = true;
            continue;
        }
        if (option == "--session-key-from-hex") {
            web.digest.session_key_from_hex = true;
            continue;
        }
        if (option == "--lenient") {
            web.strict = false;
            continue;
        }
        if (option == "--follow-new-port") {
            tftp.follow_new_port = true;
            continue;
        }
        bool* flag = option == "--duplicate-acks"          ? &tftp.faults.duplicate_acks
                     : option == "--acks-from-other-port"  ? &tftp.faults.acks_from_other_port
                     : option == "--stray-packets"         ? &tftp.faults.stray_packets
                     : option == "--error-instead-of-ack0" ? &tftp.faults.error_instead_of_ack0
                     : option == "--wrong-name-first"      ? &tftp.faults.wrong_name_first
                     : option == "--never-request"         ? &tftp.faults.never_request
                     : option == "--stale-acks"            ? &tftp.faults.stale_acks
                                                           : nullptr;
        if (flag != nullptr) {
            *flag = true;
            continue;
        }
        if (k + 1 >= argc) return "option " + std::string(option) + " needs a value";
        const std::string_view value = argv[++k];
        const auto bad = [&] { return "bad value for " + std::string(option) + ": " + std::string(value); };
        if (option == "--address") {
            if (app::parse_device_address(value, &web.address) != app::AddressCode::accepted || web.address == 0)
                return bad();
        } else if (option == "--port") {
            if (!read_number(value, web.port) || web.port == 0) return bad();
        } else if (option == "--product-name") {
            web.identity.product_name = value;
        } else if (option == "--mac-address") {
            web.identity.mac_address = value;
        } else if (option == "--software-version") {
            web.identity.software_version = value;
        } else if (option == "--hardware-version") {
            web.identity.hardware_version = value;
        } else if (option == "--serial-number") {
            web.identity.serial_number = value;
        } else if (option == "--password") {
            web.digest.enabled = true;
            web.digest.password = value;
        } else if (option == "--user") {
            web.digest.user = value;
        } else if (option == "--realm") {
            web.digest.realm = value;
        } else if (option == "--qop") {
            web.digest.qop = value == "none" ? "" : std::string(value);
        } else if (option == "--algorithm") {
            if (value != "none" && value != "MD5" && value != "MD5-sess") return bad();
            web.digest.algorithm = value == "none" ? "" : std::string(value);
        } else if (option == "--opaque") {
            web.digest.opaque = value;
        } else if (option == "--nonce") {
            const auto found = nonce_policies.find(value);
            if (found == nonce_policies.end()) return bad();
            web.digest.nonce_policy = found->second;
        } else if (option == "--fault") {
            const auto found = web_faults.find(value);
            if (found == web_faults.end()) return bad();
            web.fault = found->second;
        } else if (option == "--request-delay") {
            if (!read_number(value, tftp.request_delay_ms)) return bad();
        } else if (option == "--restart-time") {
            if (!read_number(value, tftp.restart_ms)) return bad();
        } else if (option == "--linger") {
            if (!read_number(value, tftp.dally_ms)) return bad();
        } else if (option == "--ack-loss") {
            const std::string text(value);
            char* end = nullptr;
            tftp.faults.ack_loss = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || *end != '\0' || tftp.faults.ack_loss < 0 || tftp.faults.ack_loss > 1)
                return bad();
        } else if (option == "--data-loss") {
            const std::string text(value);
            char* end = nullptr;
            tftp.faults.data_loss = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || *end != '\0' || tftp.faults.data_loss < 0 || tftp.faults.data_loss > 1)
                return bad();
        } else if (option == "--ack-delay") {
            if (!read_number(value, tftp.faults.ack_delay_ms)) return bad();
        } else if (option == "--pause-at-block") {
            if (!read_number(value, tftp.faults.pause_at_block)) return bad();
        } else if (option == "--pause") {
            if (!read_number(value, tftp.faults.pause_ms)) return bad();
        } else if (option == "--silent-from-block") {
            if (!read_number(value, tftp.faults.silent_from_block)) return bad();
        } else if (option == "--report-version") {
            tftp.faults.reported_version = value;
        } else if (option == "--answer-delay") {
            if (!read_number(value, web.answer_delay_ms)) return bad();
        } else if (option == "--error-status") {
            if (!read_number(value, web.error_status) || web.error_status < 100 || web.error_status > 599) return bad();
        } else {
            return "unknown option " + std::string(option);
        }
    }
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
