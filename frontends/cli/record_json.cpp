#include "frontends/cli/record_json.h"

#include <cmath>

#include <nlohmann/json.hpp>

namespace voq::cli {

namespace {

// Texts read from a device may hold any byte; JSON wants UTF-8, so a byte that does
// not start valid UTF-8 is taken as Latin-1 (which is what the desktop programs show).
std::string as_utf8(std::string_view text)
{
    const nlohmann::json probe = std::string(text);
    try {
        (void)probe.dump();
        return std::string(text);
    } catch (const nlohmann::json::type_error&) {
    }
    std::string converted;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            converted += c;
        } else {
            converted += static_cast<char>(0xc0 | (byte >> 6));
            converted += static_cast<char>(0x80 | (byte & 0x3f));
        }
    }
    return converted;
}

}  // namespace

std::string record_json(const RunRecord& record)
{
    nlohmann::ordered_json object;
    object["device"] = as_utf8(record.device);
    object["pc_address"] = as_utf8(record.pc_address);
    object["port"] = record.port;
    object["product"] = as_utf8(record.product);
    object["mac_address"] = as_utf8(record.mac_address);
    object["serial_number"] = as_utf8(record.serial_number);
    object["version_before"] = as_utf8(record.version_before);
    object["version_after"] = as_utf8(record.version_after);
    object["bytes"] = record.bytes;
    object["seconds"] = std::round(record.seconds * 1000.0) / 1000.0;
    object["outcome"] = std::string(entry_of(record.outcome).name);
    object["status"] = exit_status_of(record.outcome);
    object["message"] = as_utf8(record.message);
    return object.dump();
}

std::optional<RunRecord> parse_record_json(std::string_view line)
{
    const nlohmann::json object = nlohmann::json::parse(line, nullptr, false);
    if (!object.is_object()) return std::nullopt;
    try {
        RunRecord record;
        record.device = object.at("device").get<std::string>();
        record.pc_address = object.at("pc_address").get<std::string>();
        record.port = object.at("port").get<unsigned>();
        record.product = object.at("product").get<std::string>();
        record.mac_address = object.at("mac_address").get<std::string>();
        record.serial_number = object.at("serial_number").get<std::string>();
        record.version_before = object.at("version_before").get<std::string>();
        record.version_after = object.at("version_after").get<std::string>();
        record.bytes = object.at("bytes").get<std::uint64_t>();
        record.seconds = object.at("seconds").get<double>();
        record.message = object.at("message").get<std::string>();
        const std::string name = object.at("outcome").get<std::string>();
        bool known = false;
        for (const OutcomeEntry& entry : outcome_table()) {
            if (entry.name == name) {
                record.outcome = entry.outcome;
                known = true;
            }
        }
        if (!known) return std::nullopt;
        return record;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

}  // namespace voq::cli
