#include "sim/digest_reference.h"

#include "sim/md5_reference.h"

namespace voq::sim {

namespace {

bool same_letters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

std::string joined(std::initializer_list<std::string_view> parts)
{
    std::string text;
    bool first = true;
    for (const std::string_view part : parts) {
        if (!first) text += ':';
        text += part;
        first = false;
    }
    return text;
}

}  // namespace

std::string expected_digest_response(const SignedRequest& r)
{
    std::string ha1 = md5_hex_of(joined({r.user, r.realm, r.password}));
    if (same_letters(r.algorithm, "MD5-sess")) {
        std::string key;
        if (r.session_key_from_hex) {
            key = ha1;
        } else {
            const auto raw = md5_bytes(joined({r.user, r.realm, r.password}));
            key.assign(raw.begin(), raw.end());
        }
        ha1 = md5_hex_of(key + ":" + std::string(r.nonce) + ":" + std::string(r.cnonce));
    }
    const std::string ha2 = same_letters(r.qop, "auth-int") ? md5_hex_of(joined({r.method, r.uri, md5_hex_of("")}))
                                                            : md5_hex_of(joined({r.method, r.uri}));
    if (r.qop.empty()) return md5_hex_of(joined({ha1, r.nonce, ha2}));
    return md5_hex_of(joined({ha1, r.nonce, r.nc, r.cnonce, r.qop, ha2}));
}

}  // namespace voq::sim
