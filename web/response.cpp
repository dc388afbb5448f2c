#include "web/response.h"

#include "web/digest.h"

namespace voq::web {

ResponseStatus classify_response(std::string_view response, session::AuthState& auth, session::RandomSource& random)
{
    constexpr std::string_view version = "HTTP/1.1";
    if (response.substr(0, version.size()) != version) return ResponseStatus::not_http11;

    // The character after the version is taken as its separator, whatever it is.
    std::size_t at = version.size() + 1;
    while (at < response.size() && (response[at] == ' ' || response[at] == '\t')) ++at;
    if (at >= response.size()) return ResponseStatus::no_status_code;

    const std::string_view rest = response.substr(at);
    if (rest.substr(0, 3) == "200") return ResponseStatus::ok;
    if (rest.substr(0, 3) != "401") return ResponseStatus::other;

    const std::size_t header = rest.find("WWW-Authenticate:");
    if (header == std::string_view::npos) return ResponseStatus::other;
    return parse_challenge(rest.substr(header), auth, random) == Challenge::accepted ? ResponseStatus::challenge
                                                                                     : ResponseStatus::other;
}

int status_code(std::string_view response)
{
    constexpr std::string_view protocol = "HTTP/";
    constexpr std::size_t version_length = 8;  // "HTTP/1.1"
    if (response.substr(0, protocol.size()) != protocol || response.size() <= version_length) return 0;
    std::size_t at = version_length + 1;
    while (at < response.size() && (response[at] == ' ' || response[at] == '\t')) ++at;
    int code = 0;
    for (std::size_t end = at + 3; at < end; ++at) {
        if (at >= response.size() || response[at] < '0' || response[at] > '9') return 0;
        code = code * 10 + (response[at] - '0');
    }
    return code;
}

void extract_label(std::string_view response, std::string_view label, FixedText<128>& field)
{
    std::size_t at = response.find(label);
    if (at == std::string_view::npos) return;
    at = response.find('>', at);
    if (at == std::string_view::npos) return;
    ++at;
    while (at < response.size() && response[at] == '<') {
        at = response.find('>', at);
        if (at == std::string_view::npos) return;
        ++at;
    }
    const std::string_view rest = response.substr(at);
    field.assign(rest.substr(0, rest.find('<')));
}

void extract_device_info(std::string_view response, session::DeviceInfo& info)
{
    extract_label(response, "Product Name:", info.product_name);
    extract_label(response, "MAC Address:", info.mac_address);
    extract_label(response, "Software Version:", info.software_version);
    extract_label(response, "Hardware Version:", info.hardware_version);
    extract_label(response, "Serial Number:", info.serial_number);
}

}  // namespace voq::web
