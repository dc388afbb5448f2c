#include "frontends/cli/run/record_json.h"

#include <algorithm>
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

// What the run never learnt is null, so that a script cannot take it for a value.
nlohmann::ordered_json text_or_null(std::string_view text)
{
    if (text.empty()) return nullptr;
    return as_utf8(text);
}

std::string text_of(const nlohmann::json& value) { return value.is_null() ? std::string() : value.get<std::string>(); }

}  // namespace

std::string record_json(const RunRecord& record)
{
    nlohmann::ordered_json object;
    object["device"] = text_or_null(record.device);
    object["name"] = text_or_null(record.name);
    object["pc_address"] = text_or_null(record.pc_address);
    if (record.port != 0) object["port"] = record.port;
    else object["port"] = nullptr;
    object["product"] = text_or_null(record.product);
    object["mac_address"] = text_or_null(record.mac_address);
    object["serial_number"] = text_or_null(record.serial_number);
    object["version_before"] = text_or_null(record.version_before);
    object["version_after"] = text_or_null(record.version_after);
    object["version_target"] = text_or_null(record.version_target);
    if (record.transition_first) object["transition_first"] = *record.transition_first;
    else object["transition_first"] = nullptr;
    object["bytes"] = record.bytes;
    object["delivered"] = record.delivered;
    object["upgrade_answer"] = text_or_null(record.upgrade_answer);
    object["seconds"] = std::round(record.seconds * 1000.0) / 1000.0;
    object["outcome"] = std::string(entry_of(record.outcome).name);
    object["status"] = status_of(record);
    object["message"] = text_or_null(record.message);
    object["phases"] = nlohmann::ordered_json::array();
    for (const RunRecord::Phase& phase : record.phases)
        object["phases"].push_back({{"phase", phase.name}, {"seconds", std::round(phase.seconds * 1000.0) / 1000.0}});
    object["blocks"] = record.blocks;
    object["retransmissions"] = record.retransmissions;
    object["likely_causes"] = nlohmann::ordered_json::array();
    for (const std::string& cause : record.likely_causes) object["likely_causes"].push_back(as_utf8(cause));
    return object.dump();
}

std::string summary_json(const std::vector<RunRecord>& records, std::size_t absent, double seconds, int status)
{
    nlohmann::ordered_json outcomes = nlohmann::ordered_json::object();
    for (const OutcomeEntry& entry : outcome_table()) {
        const auto count = std::count_if(records.begin(), records.end(),
                                         [&](const RunRecord& r) { return r.outcome == entry.outcome; });
        if (count > 0) outcomes[std::string(entry.name)] = count;
    }
    nlohmann::ordered_json summary;
    summary["devices"] = records.size();
    summary["outcomes"] = std::move(outcomes);
    summary["absent"] = absent;
    summary["seconds"] = std::round(seconds * 1000.0) / 1000.0;
    summary["status"] = status;
    return nlohmann::ordered_json{{"summary", std::move(summary)}}.dump();
}

std::optional<RunRecord> parse_record_json(std::string_view line)
{
    const nlohmann::json object = nlohmann::json::parse(line, nullptr, false);
    if (!object.is_object()) return std::nullopt;
    try {
        RunRecord record;
        record.device = text_of(object.at("device"));
        if (const auto name = object.find("name"); name != object.end()) record.name = text_of(*name);
        record.pc_address = text_of(object.at("pc_address"));
        record.port = object.at("port").is_null() ? 0 : object.at("port").get<unsigned>();
        record.product = text_of(object.at("product"));
        record.mac_address = text_of(object.at("mac_address"));
        record.serial_number = text_of(object.at("serial_number"));
        record.version_before = text_of(object.at("version_before"));
        record.version_after = text_of(object.at("version_after"));
        if (const auto target = object.find("version_target"); target != object.end())
            record.version_target = text_of(*target);
        // A line without it is still a record: the rest says how the run went.
        if (const auto first = object.find("transition_first"); first != object.end() && !first->is_null())
            record.transition_first = first->get<bool>();
        record.bytes = object.at("bytes").get<std::uint64_t>();
        record.delivered = object.at("delivered").get<bool>();
        record.upgrade_answer = text_of(object.at("upgrade_answer"));
        record.seconds = object.at("seconds").get<double>();
        record.message = text_of(object.at("message"));
        // A line without these is still a record: the rest says how the run went.
        for (const auto& phase : object.value("phases", nlohmann::json::array()))
            record.phases.push_back({phase.at("phase").get<std::string>(), phase.at("seconds").get<double>()});
        record.blocks = object.value("blocks", 0u);
        record.retransmissions = object.value("retransmissions", 0u);
        for (const auto& cause : object.value("likely_causes", nlohmann::json::array()))
            record.likely_causes.push_back(cause.get<std::string>());
        const std::string name = object.at("outcome").get<std::string>();
        bool known = false;
        for (const OutcomeEntry& entry : outcome_table()) {
            if (entry.name == name) {
                record.outcome = entry.outcome;
                known = true;
            }
        }
        if (!known) return std::nullopt;
        record.checking = record.outcome == Outcome::newer && object.at("status").get<int>() != 0;
        return record;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

}  // namespace voq::cli
