#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "session/failure_codes.h"

namespace voq::ui {

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
};

// The answer's status line; empty when nothing came back.
struct AnswerFact {
    std::string request_line;
    std::string status_line;  // "HTTP/1.1 200 OK"
    std::uint32_t bytes = 0;
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
    bool transition_first;  // a staged build would serve the transition image first
    int status_code = 0;    // of the status page's answer; 0 when it had none
};

struct FailureFact {
    session::Failure code;
};

using Fact = std::variant<StartFact, DeviceFact, PhaseFact, RequestFact, AnswerFact, CallFailedFact, ListeningFact,
                          ReadRequestFact, TransferFact, VersionsFact, StandingFact, FailureFact>;

std::string_view phase_name(Phase phase);

// The fact as lines a person reads in a trace or a support log, addresses dotted;
// several lines are parted by '\n'.
std::string fact_text(const Fact& fact);

}  // namespace voq::ui
