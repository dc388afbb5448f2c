#pragma once

#include <string>
#include <string_view>

namespace voq::sim {

// What a signed request's response must be (RFC 2617 section 3.2.2), computed by the
// device with its own MD5, in every form it offers: without qop, with "auth" or
// "auth-int" (the body of a GET is empty), with MD5 or MD5-sess.
struct SignedRequest {
    std::string_view algorithm;  // "", "MD5" or "MD5-sess", as the challenge named it
    std::string_view user;
    std::string_view realm;
    std::string_view password;
    std::string_view nonce;
    std::string_view cnonce;
    std::string_view nc;   // as written in the request
    std::string_view qop;  // the one the request chose; empty without
    std::string_view method;
    std::string_view uri;
    // The devices key MD5-sess with the 16 raw bytes of H(A1); RFC 2617's text, and
    // most clients, with its 32 hexadecimal digits.
    bool session_key_from_hex = false;
};

std::string expected_digest_response(const SignedRequest& request);

}  // namespace voq::sim
