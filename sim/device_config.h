#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace voq::sim {

struct Identity {
    std::string product_name = "VOQ-3300";
    std::string mac_address = "00:0E:08:C0:FF:EE";
    std::string software_version = "2.0.12(SE)";
    std::string hardware_version = "1.0.3";
    std::string serial_number = "VQ3300A01234";
};

enum class NoncePolicy {
    fixed,            // one nonce for the device's whole life
    every_challenge,  // a new nonce in every 401
    after_restart,    // a new nonce each time the device restarts
};

struct DigestConfig {
    bool enabled = false;
    std::string user = "admin";
    std::string password = "admin";
    std::string realm = "VOQ Device";
    std::string qop;        // "", "auth", "auth-int", or a list such as "auth,auth-int"
    std::string algorithm;  // "", "MD5" or "MD5-sess"; empty leaves it out of the challenge
    std::string opaque;
    NoncePolicy nonce_policy = NoncePolicy::after_restart;
    // The devices hash MD5-sess session keys from the raw 16-byte H(A1); most other
    // clients follow RFC 2617's text and hash its hexadecimal form.
    bool session_key_from_hex = false;
};

// Ways the web server can misbehave, one at a time, for tests.
enum class WebFault {
    none,
    http_1_0,                  // status line "HTTP/1.0 200 OK"
    error_status,              // the status page answered with error_status
    basic_challenge,           // 401 with a Basic challenge
    challenge_without_header,  // 401 without "WWW-Authenticate:"
    oversized_answer,          // the page padded to past 131,071 bytes
    nul_in_answer,             // a NUL byte in the middle of the page
    close_without_answer,      // reads the request, closes without a byte
    never_close,               // answers, then keeps the connection open
    refuse_connections,        // nothing listens
    busy_upgrade,              // the upgrade request answered 503 and not acted on
};

struct WebConfig {
    std::uint32_t address = 0x7f000002;  // host order
    std::uint16_t port = 80;
    Identity identity;
    DigestConfig digest;
    WebFault fault = WebFault::none;
    int error_status = 404;
    unsigned answer_delay_ms = 0;  // how long the device thinks before it answers
    // A strict device refuses with 400 a request line other than "GET <path>
    // HTTP/1.1", a Host line other than its address, a head without its empty line;
    // and with 401 an Authorization line that does not give back the challenge as
    // issued (see verify_authorization). A lenient one checks the credentials only,
    // as clients written for other servers (curl's eight-digit nc) need.
    bool strict = true;
    // Where the server says what it does; nothing when empty.
    std::function<void(std::string_view)> log;
};

// Ways the device's TFTP client can misbehave, for tests; any number at once.
struct TftpFaults {
    double ack_loss = 0;                 // share of acknowledgements never sent
    double data_loss = 0;                // share of DATA packets taken as never received
    bool stale_acks = false;             // after each acknowledgement, the one before it again
    unsigned ack_delay_ms = 0;           // every hundredth block's acknowledgement this late
    bool duplicate_acks = false;         // every acknowledgement sent twice
    bool acks_from_other_port = false;   // acknowledgements from a port the server does not know
    bool stray_packets = false;          // a stray acknowledgement from another port before each real one
    bool error_instead_of_ack0 = false;  // refuses the options with an ERROR
    int pause_at_block = -1;             // waits pause_ms before acknowledging this block
    unsigned pause_ms = 0;
    int silent_from_block = -1;     // takes this block and every packet after it, acknowledging nothing more
    bool wrong_name_first = false;  // first asks for a file the server was not told of
    bool never_request = false;     // told to fetch, never asks
    std::string reported_version;   // what the page says after the restart; empty: the image's version
    unsigned seed = 1;              // for the share of lost acknowledgements
};

struct TftpConfig {
    unsigned request_delay_ms = 100;  // from the upgrade request to the read request ("when idle")
    unsigned restart_ms = 2000;       // how long the web server is gone while the device restarts
    unsigned patience_ms = 6000;      // silence after which the client gives a transfer up
    unsigned dally_ms = 600;          // how long the client stays after its last acknowledgement
    // The devices take answers only from the address and port they asked; a server
    // that answers from a new port, as RFC 1350 allows (tftpd-hpa), is followed when set.
    bool follow_new_port = false;
    TftpFaults faults;
};

struct DeviceConfig {
    WebConfig web;
    TftpConfig tftp;
};

}  // namespace voq::sim
