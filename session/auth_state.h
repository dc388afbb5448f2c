#pragma once

#include <cstdint>

#include "session/fixed_text.h"

namespace voq::session {

// The Digest credentials and the latest challenge. Once a password is set, every
// request of the process is signed.
struct AuthState {
    std::uint32_t nonce_count = 0;  // signed requests sent under the current nonce
    FixedText<128> last_nonce;
    FixedText<128> nonce;
    FixedText<128> client_nonce;
    FixedText<128> user_name;
    FixedText<128> password;
    FixedText<128> realm;
    FixedText<16> qop;        // as quoted in the challenge, a list included
    FixedText<16> algorithm;  // as quoted in the challenge
    FixedText<128> digest_uri;
    FixedText<128> opaque;
};

}  // namespace voq::session
