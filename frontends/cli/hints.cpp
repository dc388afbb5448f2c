#include "frontends/cli/hints.h"

#include <bit>

#include "frontends/cli/failure_message.h"
#include "ui/views.h"

namespace voq::cli {

namespace {

std::string subnet_hint(const HintFacts& facts)
{
    const std::string pc = ui::dotted(facts.pc_address), device = ui::dotted(facts.device_address);
    if (!facts.pc_netmask)
        return "The subnet of the PC address " + pc + " is unknown (no interface holds it): check that " + device +
               " is on the same LAN subnet as this PC.";
    const std::uint32_t mask = *facts.pc_netmask;
    const std::string network =
        ui::dotted(facts.pc_address & mask) + "/" + std::to_string(std::popcount(mask)) + " (netmask " + ui::dotted(mask) + ")";
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
           "    ufw:       sudo ufw allow proto udp from " + device + " to any port 69:168\n"
           "               sudo ufw allow proto udp from " + device + " to any port 10069:10168\n"
           "    firewalld: sudo firewall-cmd --add-service=tftp\n"
           "               sudo firewall-cmd --add-port=10069-10168/udp\n"
           "    Windows:   netsh advfirewall firewall add rule name=\"VOQ Upgrade\" dir=in action=allow "
           "protocol=UDP localport=69-168,10069-10168 remoteip=" + device;
}

std::string other_server_hint(const HintFacts& facts)
{
    if (facts.tftp_port != 0 && facts.tftp_port != 69 && facts.tftp_port != 10069)
        return "Another program holds UDP port 69 (the firmware was offered on port " + std::to_string(facts.tftp_port) +
               "); a device that asks on port 69 regardless gets that program's answer. See which "
               "(sudo ss -ulpn 'sport = :69') and stop it for the upgrade (sudo systemctl stop tftpd-hpa).";
    return "Another TFTP server on this PC (tftpd-hpa, dnsmasq, atftpd) may take the device's request: "
           "check UDP port 69 (sudo ss -ulpn 'sport = :69') and stop it for the upgrade.";
}

}  // namespace

std::vector<std::string> likely_causes(Outcome outcome, const HintFacts& facts)
{
    switch (outcome) {
    case Outcome::no_response:
        return {"The device's address may be wrong, or the device off or on another network: check the address "
                "on the device itself or in its DHCP lease.",
                subnet_hint(facts), firewall_hint(facts), other_server_hint(facts)};
    case Outcome::no_request:
        if (!facts.upgrade_answer.empty() && !answer_is_success(facts.upgrade_answer))
            return {"The device refused the upgrade request (\"" + facts.upgrade_answer +
                        "\"): a device busy with another upgrade answers so. Let that one finish, then try again.",
                    firewall_hint(facts), subnet_hint(facts), other_server_hint(facts)};
        return {firewall_hint(facts), subnet_hint(facts), other_server_hint(facts),
                "A telephone in use keeps the device from starting: hang up every phone attached to it."};
    case Outcome::no_answer_after_restart:
        return {"The device may still be restarting: a slow device needs a longer --restart-wait.",
                subnet_hint(facts), firewall_hint(facts), other_server_hint(facts)};
    default: return {};
    }
}

}  // namespace voq::cli
