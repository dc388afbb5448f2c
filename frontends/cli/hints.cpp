#include "frontends/cli/hints.h"

#include <bit>

#include "frontends/cli/failure_message.h"
#include "platform/socket.h"
#include "tftp/listener.h"
#include "record/printable.h"
#include "ui/views.h"

namespace voq::cli {

namespace {

using platform::SocketErrorKind;

SocketErrorKind kind_of(const record::CallFailedFact& fact) { return platform::socket_error_kind(fact.error); }

std::string quoted(const std::string& reason) { return "(\"" + reason + "\")"; }

std::string address_hint(const HintFacts& facts)
{
    return "The device's address " + ui::dotted(facts.device_address) +
           " may be wrong, or the device off or on another network: check the address on the device itself or in its "
           "DHCP lease.";
}

std::string subnet_hint(const HintFacts& facts)
{
    const std::string pc = ui::dotted(facts.pc_address), device = ui::dotted(facts.device_address);
    if (!facts.pc_netmask)
        return "The subnet of the PC address " + pc + " is unknown (no interface holds it): check that " + device +
               " is on the same LAN subnet as this PC.";
    const std::uint32_t mask = *facts.pc_netmask;
    const std::string network = ui::dotted(facts.pc_address & mask) + "/" + std::to_string(std::popcount(mask)) +
                                " (netmask " + ui::dotted(mask) + ")";
    if ((facts.pc_address & mask) != (facts.device_address & mask))
        return "The device " + device + " is NOT on the subnet of the PC address " + pc + ", " + network +
               ": the device must reach the PC directly. Choose a PC address on the device's subnet "
               "(--local-address) or connect this PC to the device's LAN.";
    return "The PC address " + pc + " and the device " + device + " are on the same subnet, " + network +
           "; a router or a second network card between them would still stop the device.";
}

std::string firewall_hint(const HintFacts& facts)
{
    const std::string device = ui::dotted(facts.device_address);
    return "A firewall on this PC may drop the device's TFTP request. Allow UDP from the device:\n"
           "    ufw:       sudo ufw allow proto udp from " +
           device +
           " to any port 69:168\n"
           "               sudo ufw allow proto udp from " +
           device +
           " to any port 10069:10168\n"
           "    firewalld: sudo firewall-cmd --add-service=tftp\n"
           "               sudo firewall-cmd --add-port=10069-10168/udp\n"
           "    Windows:   netsh advfirewall firewall add rule name=\"VOQ Upgrade\" dir=in action=allow "
           "protocol=UDP localport=69-168,10069-10168 remoteip=" +
           device;
}

std::string port_69_holder_name(const HintFacts& facts)
{
    return facts.port_69_holder ? *facts.port_69_holder : "Another TFTP server (tftpd-hpa, dnsmasq, atftpd)";
}

// The listener took a later port of its range than the first: another holds that one.
bool moved_off_first_port(const HintFacts& facts)
{
    return facts.tftp_port != 0 && facts.tftp_port != tftp::first_listener_port &&
           facts.tftp_port != tftp::first_unprivileged_listener_port;
}

std::string other_server_hint(const HintFacts& facts)
{
    if (moved_off_first_port(facts))
        return (facts.port_69_holder ? *facts.port_69_holder : std::string("Another program")) +
               " holds UDP port 69 (the firmware was offered on port " + std::to_string(facts.tftp_port) +
               "); a device that asks on port 69 regardless gets that program's answer. See which "
               "(sudo ss -ulpn 'sport = :69') and stop it for the upgrade (sudo systemctl stop tftpd-hpa).";
    return "Another TFTP server on this PC (tftpd-hpa, dnsmasq, atftpd) may take the device's request: "
           "check UDP port 69 (sudo ss -ulpn 'sport = :69') and stop it for the upgrade.";
}

std::vector<std::string> no_response_causes(const HintFacts& facts)
{
    const std::string device = ui::dotted(facts.device_address);
    if (facts.http_unanswered)
        return {"The device at " + device +
                    " accepted the connection but sent no answer within --http-timeout: its web "
                    "server may be busy or hung. Power it off and on, or give it longer (--http-timeout).",
                address_hint(facts)};
    if (facts.http_refusal && kind_of(*facts.http_refusal) == SocketErrorKind::refused)
        return {"Something at " + device + " refused the connection to port " +
                    std::to_string(facts.http_refusal->first_port) + " " + quoted(facts.http_refusal->reason) +
                    ": the address answers, but no web server listens there. The address may belong to another "
                    "machine, or the device may still be starting: check the address on the device itself or in its "
                    "DHCP lease, and try again in a minute.",
                address_hint(facts)};
    std::vector<std::string> causes;
    if (facts.http_refusal)
        causes.push_back("This PC could not reach " + device + " " + quoted(facts.http_refusal->reason) +
                         ": check the cable, the network and the address.");
    causes.push_back(address_hint(facts));
    causes.push_back(subnet_hint(facts));
    return causes;
}

std::string capability_hint(const HintFacts& facts)
{
    return "On Linux, binding UDP port 69 needs root or the capability CAP_NET_BIND_SERVICE "
           "(sudo setcap cap_net_bind_service=+ep \"$(command -v voq-upgrade-cli)\"). Without it the program falls back "
           "to a port from 10069 to 10168 on " +
           ui::dotted(facts.pc_address) +
           ", which the device is told in the upgrade request; a device that asks on port 69 regardless needs the "
           "capability.";
}

std::string holder_hint(const HintFacts& facts, const std::string& reason)
{
    const std::string held = " holds UDP port 69 on " + ui::dotted(facts.pc_address) +
                             ", and ports 70 to 168 are taken too " + quoted(reason) + ": stop it for the upgrade";
    if (facts.port_69_holder) return *facts.port_69_holder + held + ".";
    return port_69_holder_name(facts) + held +
           " (see which with sudo ss -ulpn 'sport = :69'; sudo systemctl stop tftpd-hpa).";
}

std::vector<std::string> tftp_port_causes(const HintFacts& facts)
{
    std::vector<std::string> causes;
    bool holder_named = false, capability_named = false;
    for (const record::CallFailedFact& refusal : facts.tftp_refusals) {
        const std::string range = std::to_string(refusal.first_port) + " to " + std::to_string(refusal.last_port);
        const SocketErrorKind kind = kind_of(refusal);
        if (refusal.first_port == 69 && kind == SocketErrorKind::not_permitted && !facts.root) {
            causes.push_back(capability_hint(facts));
            capability_named = true;
        } else if (refusal.first_port == 69 && kind == SocketErrorKind::in_use && !facts.port_69_ours) {
            causes.push_back(holder_hint(facts, refusal.reason));
            holder_named = true;
        } else if (kind == SocketErrorKind::in_use) {
            causes.push_back("Other programs hold UDP ports " + range + " on " + ui::dotted(refusal.address) + " " +
                             quoted(refusal.reason) + ": see which (ss -ulpn) and close one of them.");
        } else {
            causes.push_back("The PC address " + ui::dotted(refusal.address) + " took no UDP port from " + range + " " +
                             quoted(refusal.reason) + ": check that it is still an address of this PC.");
        }
    }
    if (!holder_named && !facts.port_69_ours)
        causes.push_back(port_69_holder_name(facts) +
                         " may hold UDP port 69: check it (sudo ss -ulpn 'sport = :69') and "
                         "stop it for the upgrade.");
    if (!capability_named && !facts.root) causes.push_back(capability_hint(facts));
    return causes;
}

}  // namespace

std::vector<std::string> likely_causes(Outcome outcome, const HintFacts& facts)
{
    switch (outcome) {
    case Outcome::no_response:
        return no_response_causes(facts);
    case Outcome::tftp_port:
        return tftp_port_causes(facts);
    case Outcome::no_request: {
        const bool refused = !facts.upgrade_answer.empty() && !answer_is_success(facts.upgrade_answer);
        std::vector<std::string> causes;
        if (refused)
            causes.push_back(
                "The device refused the upgrade request (\"" + facts.upgrade_answer +
                "\"): a device busy with another upgrade answers so. Let that one finish, then try again.");
        causes.push_back(firewall_hint(facts));
        causes.push_back(subnet_hint(facts));
        // In a fleet a sibling run holds port 69 as a matter of course.
        if (!(moved_off_first_port(facts) && facts.port_69_ours)) causes.push_back(other_server_hint(facts));
        if (!refused)
            causes.push_back("A telephone in use keeps the device from starting: hang up every phone attached to it.");
        return causes;
    }
    case Outcome::no_answer_after_restart: {
        // The device took its whole firmware: the way to it and back worked.
        std::vector<std::string> causes;
        if (facts.http_unanswered)
            causes.push_back(
                "The device accepted the connection after its restart but sent no answer within "
                "--http-timeout: it may still be starting its web server.");
        causes.push_back(
            "The device may still be restarting: a slow device needs a longer --restart-wait. Its firmware "
            "was delivered; check its version at http://" +
            ui::dotted(facts.device_address) + "/admin/advanced in a few minutes.");
        causes.push_back(
            "The device may have come back at another address: one that takes its address by DHCP can get "
            "a new one when it restarts. Look it up on the device itself or in the DHCP server's leases, "
            "and check its version there.");
        return causes;
    }
    case Outcome::version_mismatch:
        if (!facts.transition_first || facts.staged) return {};
        return {"The device ran " + record::printable(facts.version_before) +
                " before the upgrade: a device that old needs the transition image first, and this build serves "
                "the tool's firmware directly. Upgrade it with a staged build, which serves the transition image "
                "first and the firmware after it."};
    default:
        return {};
    }
}

}  // namespace voq::cli
