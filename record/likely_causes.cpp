#include "record/likely_causes.h"

#include <bit>

#include "platform/socket.h"
#include "record/printable.h"

namespace voq::record {

namespace {

using platform::SocketErrorKind;

SocketErrorKind kind_of(const CallFailedFact& fact) { return platform::socket_error_kind(fact.error); }

std::string quoted(const std::string& reason) { return "(\"" + reason + "\")"; }

std::string address_hint(const RunReport& report)
{
    return "The device's address " + dotted(report.device_address) +
           " may be wrong, or the device off or on another network: check the address on the device itself or in its "
           "DHCP lease.";
}

std::string subnet_hint(const RunReport& report, const Circumstances& around)
{
    const std::string pc = dotted(report.pc_address), device = dotted(report.device_address);
    if (!around.pc_netmask)
        return "The subnet of the PC address " + pc + " is unknown (no interface holds it): check that " + device +
               " is on the same LAN subnet as this PC.";
    const std::uint32_t mask = *around.pc_netmask;
    const std::string network = dotted(report.pc_address & mask) + "/" + std::to_string(std::popcount(mask)) +
                                " (netmask " + dotted(mask) + ")";
    if ((report.pc_address & mask) != (report.device_address & mask))
        return "The device " + device + " is NOT on the subnet of the PC address " + pc + ", " + network +
               ": the device must reach the PC directly. Choose a PC address on the device's subnet "
               "(--local-address) or connect this PC to the device's LAN.";
    return "The PC address " + pc + " and the device " + device + " are on the same subnet, " + network +
           "; a router or a second network card between them would still stop the device.";
}

std::string firewall_hint(const RunReport& report)
{
    const std::string device = dotted(report.device_address);
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

std::string port_69_holder_name(const Circumstances& around)
{
    return around.port_69_holder ? *around.port_69_holder : "Another TFTP server (tftpd-hpa, dnsmasq, atftpd)";
}

// The listener took a later port of its range than the first: another holds that one.
bool moved_off_first_port(const RunReport& report)
{
    return report.tftp_port != 0 && report.tftp_port != first_listener_port &&
           report.tftp_port != first_unprivileged_listener_port;
}

std::string other_server_hint(const RunReport& report, const Circumstances& around)
{
    if (moved_off_first_port(report))
        return (around.port_69_holder ? *around.port_69_holder : std::string("Another program")) +
               " holds UDP port 69 (the firmware was offered on port " + std::to_string(report.tftp_port) +
               "); a device that asks on port 69 regardless gets that program's answer. See which "
               "(sudo ss -ulpn 'sport = :69') and stop it for the upgrade (sudo systemctl stop tftpd-hpa).";
    return "Another TFTP server on this PC (tftpd-hpa, dnsmasq, atftpd) may take the device's request: "
           "check UDP port 69 (sudo ss -ulpn 'sport = :69') and stop it for the upgrade.";
}

std::vector<std::string> no_response_causes(const RunReport& report, const Circumstances& around)
{
    const std::string device = dotted(report.device_address);
    if (around.http_unanswered)
        return {"The device at " + device +
                    " accepted the connection but sent no answer within --http-timeout: its web "
                    "server may be busy or hung. Power it off and on, or give it longer (--http-timeout).",
                address_hint(report)};
    const Exchange* status = last_request(report, RequestKind::status_page);
    const std::optional<CallFailedFact> refusal = status ? status->refused : std::nullopt;
    if (refusal && kind_of(*refusal) == SocketErrorKind::refused)
        return {"Something at " + device + " refused the connection to port " + std::to_string(refusal->first_port) +
                    " " + quoted(refusal->reason) +
                    ": the address answers, but no web server listens there. The address may belong to another "
                    "machine, or the device may still be starting: check the address on the device itself or in its "
                    "DHCP lease, and try again in a minute.",
                address_hint(report)};
    std::vector<std::string> causes;
    if (refusal)
        causes.push_back("This PC could not reach " + device + " " + quoted(refusal->reason) +
                         ": check the cable, the network and the address.");
    causes.push_back(address_hint(report));
    causes.push_back(subnet_hint(report, around));
    return causes;
}

std::string capability_hint(const RunReport& report)
{
    return "On Linux, binding UDP port 69 needs root or the capability CAP_NET_BIND_SERVICE "
           "(sudo setcap cap_net_bind_service=+ep \"$(command -v voq-upgrade-cli)\"). Without it the program falls back "
           "to a port from 10069 to 10168 on " +
           dotted(report.pc_address) +
           ", which the device is told in the upgrade request; a device that asks on port 69 regardless needs the "
           "capability.";
}

std::string holder_hint(const RunReport& report, const Circumstances& around, const std::string& reason)
{
    const std::string held = " holds UDP port 69 on " + dotted(report.pc_address) +
                             ", and ports 70 to 168 are taken too " + quoted(reason) + ": stop it for the upgrade";
    if (around.port_69_holder) return *around.port_69_holder + held + ".";
    return port_69_holder_name(around) + held +
           " (see which with sudo ss -ulpn 'sport = :69'; sudo systemctl stop tftpd-hpa).";
}

std::vector<std::string> tftp_port_causes(const RunReport& report, const Circumstances& around)
{
    std::vector<std::string> causes;
    bool holder_named = false, capability_named = false;
    for (const CallFailedFact& refusal : report.tftp_refusals) {
        const std::string range = std::to_string(refusal.first_port) + " to " + std::to_string(refusal.last_port);
        const SocketErrorKind kind = kind_of(refusal);
        if (refusal.first_port == first_listener_port && kind == SocketErrorKind::not_permitted && !around.root) {
            causes.push_back(capability_hint(report));
            capability_named = true;
        } else if (refusal.first_port == first_listener_port && kind == SocketErrorKind::in_use &&
                   !around.port_69_ours) {
            causes.push_back(holder_hint(report, around, refusal.reason));
            holder_named = true;
        } else if (kind == SocketErrorKind::in_use) {
            causes.push_back("Other programs hold UDP ports " + range + " on " + dotted(refusal.address) + " " +
                             quoted(refusal.reason) + ": see which (ss -ulpn) and close one of them.");
        } else {
            causes.push_back("The PC address " + dotted(refusal.address) + " took no UDP port from " + range + " " +
                             quoted(refusal.reason) + ": check that it is still an address of this PC.");
        }
    }
    if (!holder_named && !around.port_69_ours)
        causes.push_back(port_69_holder_name(around) +
                         " may hold UDP port 69: check it (sudo ss -ulpn 'sport = :69') and "
                         "stop it for the upgrade.");
    if (!capability_named && !around.root) causes.push_back(capability_hint(report));
    return causes;
}

// The device answered the upgrade request, or not, and never asked for the file.
std::vector<std::string> no_request_causes(const RunReport& report, const Exchange& upgrade,
                                           const Circumstances& around)
{
    const std::string answer = "(\"" + upgrade.status_line + "\")";
    if (upgrade.status_code == 503)
        return {"The device refused the upgrade request " + answer +
                ": a device busy with another upgrade answers so. Let that one finish, then try again."};
    if (upgrade.answered && (upgrade.status_code < 200 || upgrade.status_code > 299))
        return {"The device refused the upgrade request " + answer +
                    ": what answers at this address takes no upgrade request. Check that it is a VOQ device.",
                address_hint(report)};
    if (!upgrade.answered) return {address_hint(report), subnet_hint(report, around)};
    std::vector<std::string> causes{firewall_hint(report), subnet_hint(report, around)};
    // In a fleet a sibling run holds port 69 as a matter of course.
    if (!(moved_off_first_port(report) && around.port_69_ours)) causes.push_back(other_server_hint(report, around));
    causes.push_back("A telephone in use keeps the device from starting: hang up every phone attached to it.");
    return causes;
}

std::vector<std::string> restart_causes(const RunReport& report, const Circumstances& around)
{
    // The device took its whole firmware: the way to it and back worked.
    std::vector<std::string> causes;
    if (around.http_unanswered)
        causes.push_back(
            "The device accepted the connection after its restart but sent no answer within "
            "--http-timeout: it may still be starting its web server.");
    causes.push_back(
        "The device may still be restarting: a slow device needs a longer --restart-wait. Its firmware "
        "was delivered; check its version at http://" +
        dotted(report.device_address) + "/admin/advanced in a few minutes.");
    causes.push_back(
        "The device may have come back at another address: one that takes its address by DHCP can get "
        "a new one when it restarts. Look it up on the device itself or in the DHCP server's leases, "
        "and check its version there.");
    return causes;
}

}  // namespace

std::vector<std::string> likely_causes(const RunReport& report, const Circumstances& around)
{
    using session::Failure;
    if (report.failure == Failure::no_response) return no_response_causes(report, around);
    if (report.failure == Failure::cannot_bind_listener_socket) return tftp_port_causes(report, around);
    if (report.failure == Failure::no_response_after_restart) return restart_causes(report, around);
    if (report.failure == Failure::version_mismatch) {
        // A staged build served the transition image first: that is not why it failed.
        if (!report.transition_first || report.staged) return {};
        return {"The device ran " + printable(report.version_before) +
                " before the upgrade: a device that old needs the transition image first, and this build serves "
                "the tool's firmware directly. Upgrade it with a staged build, which serves the transition image "
                "first and the firmware after it."};
    }
    const Exchange* upgrade = last_request(report, RequestKind::upgrade_request);
    if (upgrade != nullptr && !report.read_request && report.failure != Failure::upgrade_declined)
        return no_request_causes(report, *upgrade, around);
    return {};
}

}  // namespace voq::record
