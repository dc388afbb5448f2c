#include "sim/authorization.h"

#include "web/digest.h"
#include "web/md5.h"

namespace voq::sim {

namespace {

std::string lower(std::string_view text)
{
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

void skip_spaces(std::string_view& text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == ',')) text.remove_prefix(1);
}

std::string hex(std::string_view text) { return std::string(web::hex_view(web::md5_hex(web::md5(text)))); }

std::string expected_response(const std::map<std::string, std::string>& directives, std::string_view method,
                              const DigestConfig& config)
{
    const auto value = [&](const char* key) {
        const auto found = directives.find(key);
        return found == directives.end() ? std::string() : found->second;
    };
    const std::string qop = value("qop");
    if (config.session_key_from_hex && lower(config.algorithm) == "md5-sess") {
        const std::string session_key =
            hex(hex(config.user + ":" + config.realm + ":" + config.password) + ":" + value("nonce") + ":" +
                value("cnonce"));
        const std::string a2 = lower(qop) == "auth-int" ? hex(std::string(method) + ":" + value("uri") + ":" + hex(""))
                                                        : hex(std::string(method) + ":" + value("uri"));
        if (qop.empty()) return hex(session_key + ":" + value("nonce") + ":" + a2);
        return hex(session_key + ":" + value("nonce") + ":" + value("nc") + ":" + value("cnonce") + ":" + qop + ":" + a2);
    }
    const web::Md5Hex response = web::digest_response({
        .algorithm = config.algorithm,
        .user_name = config.user,
        .realm = config.realm,
        .password = config.password,
        .nonce = value("nonce"),
        .client_nonce = value("cnonce"),
        .nonce_count = value("nc"),
        .method = method,
        .qop = qop,
        .digest_uri = value("uri"),
        .entity_body = "",
    });
    return std::string(web::hex_view(response));
}

bool qop_offered(std::string_view offered, std::string_view used)
{
    if (offered.empty()) return used.empty();
    std::string_view rest = offered;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        std::string_view option = rest.substr(0, comma);
        while (!option.empty() && option.front() == ' ') option.remove_prefix(1);
        if (lower(option) == lower(used)) return true;
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return false;
}

}  // namespace

std::map<std::string, std::string> parse_digest_authorization(std::string_view value)
{
    std::map<std::string, std::string> directives;
    skip_spaces(value);
    if (lower(value.substr(0, 7)) != "digest ") return directives;
    value.remove_prefix(7);
    while (true) {
        skip_spaces(value);
        const std::size_t equals = value.find('=');
        if (value.empty() || equals == std::string_view::npos) break;
        std::string key = lower(value.substr(0, equals));
        while (!key.empty() && key.back() == ' ') key.pop_back();
        value.remove_prefix(equals + 1);
        std::string item;
        if (!value.empty() && value.front() == '"') {
            value.remove_prefix(1);
            while (!value.empty() && value.front() != '"') {
                if (value.front() == '\\' && value.size() > 1) value.remove_prefix(1);
                item.push_back(value.front());
                value.remove_prefix(1);
            }
            if (!value.empty()) value.remove_prefix(1);
        } else {
            const std::size_t end = value.find(',');
            item = std::string(value.substr(0, end));
            while (!item.empty() && item.back() == ' ') item.pop_back();
            value.remove_prefix(end == std::string_view::npos ? value.size() : end);
        }
        directives.emplace(std::move(key), std::move(item));
    }
    return directives;
}

std::string_view describe(Verdict verdict)
{
    switch (verdict) {
    case Verdict::authorized: return "authorized";
    case Verdict::missing: return "no credentials";
    case Verdict::stale_nonce: return "stale nonce";
    case Verdict::refused: return "refused";
    }
    return "?";
}

Verdict verify_authorization(std::string_view header_value, std::string_view method, std::string_view path,
                             const DigestConfig& config, std::string_view current_nonce)
{
    if (header_value.empty()) return Verdict::missing;
    const auto directives = parse_digest_authorization(header_value);
    const auto value = [&](const char* key) {
        const auto found = directives.find(key);
        return found == directives.end() ? std::string() : found->second;
    };
    if (directives.empty() || value("username") != config.user || value("realm") != config.realm ||
        value("uri") != path)
        return Verdict::refused;
    if (!qop_offered(config.qop, value("qop"))) return Verdict::refused;
    if (!value("qop").empty() && (value("nc").empty() || value("cnonce").empty())) return Verdict::refused;
    if (value("nonce") != current_nonce) return Verdict::stale_nonce;
    return value("response") == expected_response(directives, method, config) ? Verdict::authorized
                                                                             : Verdict::refused;
}

}  // namespace voq::sim
