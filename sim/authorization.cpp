#include "sim/authorization.h"

#include "sim/digest_reference.h"

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
    case Verdict::authorized:
        return "authorized";
    case Verdict::missing:
        return "no credentials";
    case Verdict::stale_nonce:
        return "stale nonce";
    case Verdict::refused:
        return "refused";
    }
    return "?";
}

Judgement verify_authorization(std::string_view header_value, std::string_view method, std::string_view path,
                               const DigestConfig& config, NonceBook& nonces, bool strict)
{
    if (header_value.empty()) return {Verdict::missing, "no Authorization line"};
    const auto directives = parse_digest_authorization(header_value);
    const auto value = [&](const char* key) {
        const auto found = directives.find(key);
        return found == directives.end() ? std::string() : found->second;
    };
    const auto given = [&](const char* key) { return directives.count(key) > 0; };
    const auto refused = [](std::string reason) { return Judgement{Verdict::refused, std::move(reason)}; };

    if (directives.empty()) return refused("not a Digest authorization");
    if (value("username") != config.user) return refused("user \"" + value("username") + "\" unknown");
    if (value("realm") != config.realm) return refused("realm not the one issued");
    const std::string nonce = value("nonce");
    if (nonce != nonces.current) {
        if (nonces.retired.count(nonce) > 0) return {Verdict::stale_nonce, "nonce replaced since it was issued"};
        return refused("nonce never issued");
    }
    if (value("uri") != path) return refused("uri \"" + value("uri") + "\" is not the path requested");
    const std::string qop = value("qop");
    if (!qop_offered(config.qop, qop)) return refused("qop \"" + qop + "\" was not offered");
    if (!qop.empty() && (value("nc").empty() || value("cnonce").empty())) return refused("qop without nc or cnonce");

    std::uint64_t count = 0;
    if (strict) {
        if (config.opaque.empty() ? given("opaque") : !given("opaque")) return refused("opaque missing or not issued");
        if (value("opaque") != config.opaque) return refused("opaque changed");
        const std::string algorithm = lower(value("algorithm"));
        const bool as_challenged =
            config.algorithm.empty() ? algorithm.empty() || algorithm == "md5" : algorithm == lower(config.algorithm);
        if (!as_challenged) return refused("algorithm \"" + value("algorithm") + "\" is not the one challenged");
        if (!qop.empty()) {
            const std::string nc = value("nc");
            if (nc.size() != 9 || nc.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                return refused("nc \"" + nc + "\" is not nine hexadecimal digits");
            count = std::stoull(nc, nullptr, 16);
            const auto last = nonces.highest_count.find(nonce);
            if (last != nonces.highest_count.end() && count <= last->second)
                return refused("nc " + nc + " not above the last one accepted under this nonce");
        }
    }
    const std::string expected = expected_digest_response({
        .algorithm = config.algorithm,
        .user = config.user,
        .realm = config.realm,
        .password = config.password,
        .nonce = nonce,
        .cnonce = value("cnonce"),
        .nc = value("nc"),
        .qop = qop,
        .method = method,
        .uri = value("uri"),
        .session_key_from_hex = config.session_key_from_hex,
    });
    if (value("response") != expected) return refused("response does not match");
    if (strict && !qop.empty()) nonces.highest_count[nonce] = count;
    return {Verdict::authorized, {}};
}

}  // namespace voq::sim
