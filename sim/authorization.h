#pragma once

#include <cstdint>
#include <map>
#include <set>
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
    stale_nonce,  // signed under a nonce the device issued once and has since replaced
    refused,      // anything else a careful device would not take
};

std::string_view describe(Verdict verdict);

struct Judgement {
    Verdict verdict = Verdict::refused;
    std::string reason;  // why not, for the device's log
};

// The nonces a device has issued, and the highest count it accepted under each.
struct NonceBook {
    std::string current;
    std::set<std::string> retired;
    std::map<std::string, std::uint64_t> highest_count;

    void issue(std::string nonce)
    {
        if (!current.empty()) retired.insert(current);
        current = std::move(nonce);
    }
};

// Checks a request's Authorization header value against the device's credentials,
// the challenge it issued (config, nonces.current) and what it accepted before. A
// strict device also wants the opaque back unchanged, the algorithm it named, the
// count in nine hexadecimal digits and above the last one under that nonce; a
// lenient one checks the credentials and the response alone. An authorized count is
// recorded.
Judgement verify_authorization(std::string_view header_value, std::string_view method, std::string_view path,
                               const DigestConfig& config, NonceBook& nonces, bool strict);

}  // namespace voq::sim
