#include "web/digest.h"

#include <cstdio>

namespace voq::web {

namespace {

// The value after the first occurrence of key (which ends in its opening quote), up
// to the next quote or the end of the text. Unquoted parameters are not found.
struct Parameter {
    bool present;
    std::string_view value;
};

Parameter quoted_parameter(std::string_view text, std::string_view key)
{
    const std::size_t at = text.find(key);
    if (at == std::string_view::npos) return {false, {}};
    const std::string_view rest = text.substr(at + key.size());
    return {true, rest.substr(0, rest.find('"'))};
}

bool equal_ignoring_case(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[k]) != lower(b[k])) return false;
    }
    return true;
}

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The option of the list that equals wanted, as the list spells it.
std::string_view listed_option(std::string_view list, std::string_view wanted)
{
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view option = trimmed(list.substr(0, comma));
        if (equal_ignoring_case(option, wanted)) return option;
        if (comma == std::string_view::npos) return {};
        list.remove_prefix(comma + 1);
    }
}

void update(Md5Context& context, std::initializer_list<std::string_view> parts)
{
    bool first = true;
    for (const std::string_view part : parts) {
        if (!first) md5_update(context, ":", 1);
        md5_update(context, part);
        first = false;
    }
}

Md5Digest hash(std::initializer_list<std::string_view> parts)
{
    Md5Context context;
    md5_init(context);
    update(context, parts);
    return md5_final(context);
}

}  // namespace

Challenge parse_challenge(std::string_view challenge, session::AuthState& auth, session::RandomSource& random)
{
    const Parameter realm = quoted_parameter(challenge, "realm=\"");
    if (!realm.present) return Challenge::rejected;
    auth.realm.assign(realm.value);

    const Parameter nonce = quoted_parameter(challenge, "nonce=\"");
    if (!nonce.present) return Challenge::rejected;
    auth.nonce.assign(nonce.value);

    if (auth.nonce.view() != auth.last_nonce.view()) {
        auth.last_nonce = auth.nonce;
        auth.nonce_count = 0;
    }

    char client_nonce[8];
    std::snprintf(client_nonce, sizeof client_nonce, "%x", static_cast<unsigned>(session::next_random(random)));
    auth.client_nonce.assign(client_nonce);

    auth.algorithm.assign(quoted_parameter(challenge, "algorithm=\"").value);
    auth.qop.assign(quoted_parameter(challenge, "qop=\"").value);
    auth.opaque.assign(quoted_parameter(challenge, "opaque=\"").value);
    return Challenge::accepted;
}

std::string_view chosen_qop(std::string_view stored_qop)
{
    if (stored_qop.find(',') == std::string_view::npos) return stored_qop;
    for (const std::string_view wanted : {"auth", "auth-int"}) {
        const std::string_view option = listed_option(stored_qop, wanted);
        if (!option.empty()) return option;
    }
    return stored_qop;
}

Md5Hex digest_response(const DigestInputs& in)
{
    Md5Digest key = hash({in.user_name, in.realm, in.password});
    if (equal_ignoring_case(in.algorithm, "md5-sess")) {
        Md5Context context;
        md5_init(context);
        md5_update(context, key.data(), key.size());
        md5_update(context, ":", 1);
        update(context, {in.nonce, in.client_nonce});
        key = md5_final(context);
    }
    const Md5Hex session_key = md5_hex(key);

    const Md5Hex a2 = equal_ignoring_case(in.qop, "auth-int")
                          ? md5_hex(hash({in.method, in.digest_uri, hex_view(md5_hex(md5(in.entity_body)))}))
                          : md5_hex(hash({in.method, in.digest_uri}));

    if (in.qop.empty()) return md5_hex(hash({hex_view(session_key), in.nonce, hex_view(a2)}));
    return md5_hex(hash({hex_view(session_key), in.nonce, in.nonce_count, in.client_nonce, in.qop, hex_view(a2)}));
}

std::string authorization_line(const session::AuthState& auth)
{
    const std::string_view qop = chosen_qop(auth.qop.view());
    char nonce_count[16] = "";
    // Nine digits, not the eight of RFC 2617: what the devices expect.
    if (!qop.empty()) std::snprintf(nonce_count, sizeof nonce_count, "%09x", auth.nonce_count);

    const Md5Hex response = digest_response({
        .algorithm = auth.algorithm.view(),
        .user_name = auth.user_name.view(),
        .realm = auth.realm.view(),
        .password = auth.password.view(),
        .nonce = auth.nonce.view(),
        .client_nonce = auth.client_nonce.view(),
        .nonce_count = nonce_count,
        .method = "GET",
        .qop = qop,
        .digest_uri = auth.digest_uri.view(),
        .entity_body = "",
    });

    std::string line = "Authorization: Digest username=\"";
    line.append(auth.user_name.view()).append("\",realm=\"").append(auth.realm.view());
    line.append("\",nonce=\"").append(auth.nonce.view()).append("\",uri=\"").append(auth.digest_uri.view());
    line.append("\",algorithm=\"").append(auth.algorithm.view()).append("\",response=\"");
    line.append(hex_view(response)).append("\"");
    if (!auth.opaque.empty()) line.append(",opaque=\"").append(auth.opaque.view()).append("\"");
    if (!qop.empty()) {
        line.append(",qop=").append(qop).append(",nc=").append(nonce_count);
        line.append(",cnonce=\"").append(auth.client_nonce.view()).append("\"");
    }
    line.append("\r\n");
    return line;
}

}  // namespace voq::web
