#pragma once

#include <map>
#include <string>
#include <string_view>

#include "sim/device_config.h"

namespace voq::sim {

// The directives of an "Authorization: Digest ..." header value, quoted or not.
// Empty when the value is not of the Digest scheme.
std::map<std::string, std::string> parse_digest_authorization(std::string_view header_value);

enum class Verdict {
    authorized,
    missing,      // no Authorization line
    stale_nonce,  // signed under a nonce the device no longer issues
    refused,      // wrong user, realm, uri, form or response
};

std::string_view describe(Verdict verdict);

// Checks a request's Authorization header value against the device's credentials
// and current nonce.
Verdict verify_authorization(std::string_view header_value, std::string_view method, std::string_view path,
                             const DigestConfig& config, std::string_view current_nonce);

}  // namespace voq::sim
