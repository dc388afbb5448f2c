#pragma once

#include <string>
#include <string_view>

#include "session/auth_state.h"
#include "session/random_source.h"
#include "web/md5.h"

namespace voq::web {

enum class Challenge { accepted, rejected };

// Reads a Digest challenge (the text from "WWW-Authenticate:" to the end of the
// answer) into auth. Each parameter is looked up on its own, quoted, anywhere in
// the text; without realm or nonce the challenge is rejected. A new nonce restarts
// the nonce count; every accepted challenge draws a new client nonce.
Challenge parse_challenge(std::string_view challenge, session::AuthState& auth, session::RandomSource& random);

// The quality of protection a signed request names: the stored qop itself, except
// that from a list the one option a server can take is chosen, "auth" before
// "auth-int".
std::string_view chosen_qop(std::string_view stored_qop);

struct DigestInputs {
    std::string_view algorithm{};
    std::string_view user_name{};
    std::string_view realm{};
    std::string_view password{};
    std::string_view nonce{};
    std::string_view client_nonce{};
    std::string_view nonce_count{};  // nine hexadecimal digits, or empty without qop
    std::string_view method{};
    std::string_view qop{};
    std::string_view digest_uri{};
    std::string_view entity_body{};
};

// RFC 2617's request digest, in the steps of its sample implementation: for
// MD5-sess the session key is hashed from the raw 16-byte H(A1), as the devices do.
Md5Hex digest_response(const DigestInputs& inputs);

// The "Authorization: Digest ..." line for the request whose path is auth's digest
// uri, "\r\n" included. The caller has already counted the request in the nonce count.
std::string authorization_line(const session::AuthState& auth);

}  // namespace voq::web
