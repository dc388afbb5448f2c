#include "sim/answers.h"

#include <charconv>
#include <cstdio>

#include "app/device_address.h"

namespace voq::sim {

namespace {

std::string_view reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

std::string answer(std::string_view version, int status, std::string_view headers, std::string_view body)
{
    std::string text(version);
    text += " " + std::to_string(status) + " " + std::string(reason(status)) + "\r\n";
    text += headers;
    text +=
        "Content-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    text += body;
    return text;
}

}  // namespace

std::string status_page(const Identity& identity)
{
    std::string page = "<html><head><title>Advanced Status</title></head><body>\n<h1>Advanced Status</h1>\n<table>\n";
    const auto row = [&](std::string_view label, const std::string& value) {
        page += "<tr><td class=\"label\">";
        page += label;
        page += "</td><td><b>" + value + "</b></td></tr>\n";
    };
    row("Product Name:", identity.product_name);
    row("MAC Address:", identity.mac_address);
    row("Software Version:", identity.software_version);
    row("Hardware Version:", identity.hardware_version);
    row("Serial Number:", identity.serial_number);
    page += "</table>\n</body></html>\n";
    return page;
}

std::string ok_answer(std::string_view page) { return answer("HTTP/1.1", 200, "", page); }

std::string digest_challenge_answer(const DigestConfig& config, std::string_view nonce)
{
    std::string header =
        "WWW-Authenticate: Digest realm=\"" + config.realm + "\", nonce=\"" + std::string(nonce) + "\"";
    if (!config.qop.empty()) header += ", qop=\"" + config.qop + "\"";
    if (!config.algorithm.empty()) header += ", algorithm=\"" + config.algorithm + "\"";
    if (!config.opaque.empty()) header += ", opaque=\"" + config.opaque + "\"";
    header += "\r\n";
    return answer("HTTP/1.1", 401, header, "<html><body>401 Unauthorized</body></html>\n");
}

std::string error_answer(int status)
{
    const std::string body =
        "<html><body>" + std::to_string(status) + " " + std::string(reason(status)) + "</body></html>\n";
    return answer("HTTP/1.1", status, "", body);
}

std::optional<std::string> faulty_status_answer(const WebConfig& config)
{
    switch (config.fault) {
    case WebFault::http_1_0:
        return answer("HTTP/1.0", 200, "", status_page(config.identity));
    case WebFault::error_status:
        return error_answer(config.error_status);
    case WebFault::basic_challenge:
        return answer("HTTP/1.1", 401, "WWW-Authenticate: Basic realm=\"" + config.digest.realm + "\"\r\n",
                      "<html><body>401 Unauthorized</body></html>\n");
    case WebFault::challenge_without_header:
        return answer("HTTP/1.1", 401, "", "<html><body>401</body></html>\n");
    case WebFault::oversized_answer: {
        std::string page = status_page(config.identity);
        page += "<!-- " + std::string(200000, 'x') + " -->\n";
        return ok_answer(page);
    }
    case WebFault::nul_in_answer: {
        std::string page = status_page(config.identity);
        page.insert(page.find("<tr><td class=\"label\">Hardware Version:"), 1, '\0');
        return ok_answer(page);
    }
    default:
        return std::nullopt;
    }
}

std::optional<UpgradeRequest> parse_upgrade_path(std::string_view path)
{
    constexpr std::string_view prefix = "/admin/upgrade?tftp://";
    if (path.substr(0, prefix.size()) != prefix) return std::nullopt;
    path.remove_prefix(prefix.size());
    const std::size_t colon = path.find(':');
    const std::size_t slash = path.find('/');
    if (colon == std::string_view::npos || slash == std::string_view::npos || slash < colon) return std::nullopt;
    UpgradeRequest request{};
    if (app::parse_device_address(path.substr(0, colon), &request.address) != app::AddressCode::accepted)
        return std::nullopt;
    const std::string_view port = path.substr(colon + 1, slash - colon - 1);
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), request.port);
    if (error != std::errc{} || end != port.data() + port.size() || port.empty()) return std::nullopt;
    request.file_name = std::string(path.substr(slash));
    return request;
}

}  // namespace voq::sim
