#include <string>

#include "record/facts.h"
#include "record/printable.h"

namespace voq::record {

namespace {

std::string endpoint(std::uint32_t address, unsigned first_port, unsigned last_port)
{
    std::string text = dotted(address) + ":" + std::to_string(first_port);
    if (last_port != first_port) text += "-" + std::to_string(last_port);
    return text;
}

struct Text {
    std::string operator()(const StartFact& f) const
    {
        return "Product " + printable(f.product) + ", firmware " + printable(f.target_version) + ", " +
               (f.staged ? "staged" : "direct") + " mode";
    }
    std::string operator()(const DeviceFact& f) const
    {
        std::string text = "PC addresses:";
        for (const std::uint32_t address : f.pc_addresses) text += " " + dotted(address);
        if (f.pc_addresses.empty()) text += " none found";
        return text + "\nPC address " + dotted(f.pc_address) + ", device " + dotted(f.device_address);
    }
    std::string operator()(const PhaseFact& f) const { return "Phase: " + std::string(phase_name(f.phase)); }
    std::string operator()(const RequestFact& f) const
    {
        std::string text = "HTTP " + endpoint(f.local_address, f.local_port_base, f.local_port_base) + " to " +
                           endpoint(f.device_address, f.device_port, f.device_port) + "\n" + printable(f.request_line);
        if (f.signed_request)
            text += "\nAuthorization: Digest username=\"" + printable(f.user_name) + "\", realm=\"" +
                    printable(f.realm) + "\", response=\"(hidden)\"";
        return text;
    }
    std::string operator()(const AnswerFact& f) const
    {
        if (f.status_line.empty()) return "No answer to " + printable(f.request_line);
        return "Answer: " + printable(f.status_line) + " (" + std::to_string(f.bytes) + " bytes)";
    }
    std::string operator()(const CallFailedFact& f) const
    {
        const std::string where = endpoint(f.address, f.first_port, f.last_port);
        switch (f.call) {
        case Call::http_bind:
            return "HTTP bind " + where + " failed: " + f.reason;
        case Call::http_connect:
            return "HTTP connect to " + where + " failed: " + f.reason;
        case Call::http_send:
            return "HTTP send to " + where + " failed: " + f.reason;
        case Call::http_receive:
            return "HTTP receive from " + where + " failed: " + f.reason;
        case Call::tftp_bind:
            return "TFTP bind " + where + " failed: " + f.reason;
        case Call::tftp_send:
            return "TFTP send to " + where + " failed: " + f.reason;
        }
        return {};
    }
    std::string operator()(const ListeningFact& f) const
    {
        return "TFTP listening on " + endpoint(f.address, f.port, f.port);
    }
    std::string operator()(const ReadRequestFact& f) const
    {
        return "TFTP read request from " + endpoint(f.address, f.port, f.port) + " for " + printable(f.file_name) +
               (f.accepted ? "" : ", not the file offered: ignored");
    }
    std::string operator()(const TransferFact& f) const
    {
        return std::string(f.given_up ? "Transfer given up: " : "Transfer: ") + std::to_string(f.acknowledged) +
               " of " + std::to_string(f.total) + " bytes of the " + (f.transition_image ? "transition" : "target") +
               " image, " + std::to_string(f.blocks_acknowledged) + " blocks acknowledged, " +
               std::to_string(f.retransmissions) + " retransmissions";
    }
    std::string operator()(const PacketFact& f) const
    {
        const std::string block = std::to_string(f.block);
        switch (f.packet) {
        case Packet::option_acknowledgement_sent:
            return "TFTP option acknowledgement sent";
        case Packet::option_acknowledgement_resent:
            return "TFTP option acknowledgement sent again";
        case Packet::block_sent:
            return "TFTP block " + block + " sent";
        case Packet::block_resent:
            return "TFTP block " + block + " sent again";
        case Packet::acknowledgement:
            return "TFTP acknowledgement of block " + block;
        case Packet::ignored_other_peer:
            return "TFTP datagram from another address or port ignored";
        case Packet::ignored_not_acknowledgement:
            return "TFTP datagram that is no acknowledgement ignored";
        case Packet::ignored_stale:
            return "TFTP stale acknowledgement of block " + block + " ignored";
        }
        return {};
    }
    std::string operator()(const VersionsFact& f) const
    {
        return "Version expected " + printable(f.expected) + ", reported " + printable(f.reported);
    }
    std::string operator()(const StandingFact& f) const
    {
        std::string text = "Device's version: ";
        switch (f.standing) {
        case Standing::outdated:
            text += "older than the tool's firmware";
            break;
        case Standing::current:
            text += "the tool's firmware";
            break;
        case Standing::newer:
            text += "later than the tool's firmware";
            break;
        case Standing::other_build:
            text += "another build of the tool's firmware";
            break;
        case Standing::unreadable:
            return "Device's version: none on its status page (status " + std::to_string(f.status_code) + ")";
        }
        return text + (f.transition_first ? ", transition image first in a staged build" : "");
    }
    std::string operator()(const FailureFact& f) const
    {
        return "Failure " + std::string(session::failure_name(f.code)) + ": " +
               std::string(session::failure_text(f.code));
    }
};

}  // namespace

std::string_view phase_name(Phase phase)
{
    switch (phase) {
    case Phase::reading_status:
        return "reading the status page";
    case Phase::confirming:
        return "confirming";
    case Phase::waiting_for_request:
        return "waiting for the read request";
    case Phase::transferring:
        return "transferring";
    case Phase::restarting:
        return "waiting for the restart";
    case Phase::rereading:
        return "reading the status page again";
    }
    return "unknown";
}

int status_code(std::string_view status_line)
{
    const std::size_t space = status_line.find(' ');
    if (!status_line.starts_with("HTTP/") || space == std::string_view::npos) return 0;
    const std::string_view code = status_line.substr(space + 1, 3);
    if (code.size() != 3) return 0;
    int value = 0;
    for (const char c : code) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string fact_text(const Fact& fact) { return std::visit(Text{}, fact); }

}  // namespace voq::record
