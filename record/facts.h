#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "session/failure_codes.h"

namespace voq::record {

// What happened during a run, as data, beside what the screens show. None of these
// has room for a password, its length or a Digest response: a secret cannot get
// into a trace or a log through them.

// The run as start-up left it.
struct StartFact {
    bool staged;  // the build serves the transition image first where needed
    std::string product;
    std::string target_version;
};

// The address screen's outcome: this PC's addresses, the one chosen, the device.
struct DeviceFact {
    std::vector<std::uint32_t> pc_addresses;
    std::uint32_t pc_address;
    std::uint32_t device_address;
};

enum class Phase { reading_status, confirming, waiting_for_request, transferring, restarting, rereading };

struct PhaseFact {
    Phase phase;
};

// Why a request goes: the status page before anything changes, the upgrade request,
// the re-reads after the restart.
enum class RequestKind { status_page, upgrade_request, reread };

// One HTTP attempt as it leaves: where from and to, its request line, and whether it
// carries credentials (the user name and realm are no secret; the response is).
struct RequestFact {
    std::uint32_t local_address;
    std::uint16_t local_port_base;
    std::uint32_t device_address;
    std::uint16_t device_port;
    std::string request_line;  // "GET /admin/advanced HTTP/1.1"
    bool signed_request = false;
    std::string user_name{};
    std::string realm{};
    RequestKind kind = RequestKind::status_page;
};

// The answer's status line; empty when nothing came back.
struct AnswerFact {
    std::string request_line;
    std::string status_line;  // "HTTP/1.1 200 OK"
    std::uint32_t bytes = 0;
    RequestKind kind = RequestKind::status_page;
    int status_code = 0;     // 0: no answer, or none with a status code
    bool challenge = false;  // a usable Digest challenge
};

enum class Call { http_bind, http_connect, http_send, http_receive, tftp_bind, tftp_send };

// A call the system refused, with the system's own reason.
struct CallFailedFact {
    Call call;
    std::uint32_t address;
    std::uint16_t first_port;
    std::uint16_t last_port;
    int error;
    std::string reason;
};

struct ListeningFact {
    std::uint32_t address;
    std::uint16_t port;
};

struct ReadRequestFact {
    std::uint32_t address;
    std::uint16_t port;
    std::string file_name;
    bool accepted = true;  // false: not the name the device was told
};

struct TransferFact {
    bool transition_image;
    std::uint32_t acknowledged;  // bytes
    std::uint32_t total;
    std::uint32_t blocks_acknowledged;
    std::uint32_t retransmissions;
    bool given_up = false;
    std::uint32_t awaited_block = 0;  // whose acknowledgement is awaited; 0: the options'
};

// One packet of a transfer, sent or received; noted only where a front-end asks for them.
enum class Packet {
    option_acknowledgement_sent,
    option_acknowledgement_resent,
    block_sent,
    block_resent,
    acknowledgement,     // of the block awaited
    ignored_other_peer,  // another address or port
    ignored_not_acknowledgement,
    ignored_stale,  // an acknowledgement of another block
};

struct PacketFact {
    Packet packet;
    std::uint32_t block = 0;
};

struct VersionsFact {
    std::string expected;
    std::string reported;
};

// How the device's version stands against the firmware this tool carries, read from
// its status page before the confirmation. Another build carries the target's number
// in other words; an unreadable page gave no version at all.
enum class Standing { outdated, current, newer, other_build, unreadable };

struct StandingFact {
    Standing standing;
    bool transition_first;   // a staged build would serve the transition image first
    int status_code = 0;     // of the status page's answer; 0 when it had none
    std::string reported{};  // the version the page gave
};

struct FailureFact {
    session::Failure code;
};

using Fact = std::variant<StartFact, DeviceFact, PhaseFact, RequestFact, AnswerFact, CallFailedFact, ListeningFact,
                          ReadRequestFact, TransferFact, PacketFact, VersionsFact, StandingFact, FailureFact>;

// A fact as it was noted, by the milliseconds of the platform clock.
struct Noted {
    std::uint32_t at_ms;
    Fact fact;
};

// The ports the listener's two ranges start at: the device's own, and the one taken
// without the privilege to bind it.
inline constexpr std::uint16_t first_listener_port = 69;
inline constexpr std::uint16_t first_unprivileged_listener_port = 10069;

std::string_view phase_name(Phase phase);

// 404 from "HTTP/1.1 404 Not Found"; 0 when the line holds none.
int status_code(std::string_view status_line);

// The fact as lines a person reads in a trace or a support log, addresses dotted;
// several lines are parted by '\n'.
std::string fact_text(const Fact& fact);

}  // namespace voq::record
