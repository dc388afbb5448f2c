#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "support/files.h"

namespace voq::test {

// The part of JSON Schema that the program's schema uses: type (one or a list), enum,
// required, properties, additionalProperties (false or a schema), propertyNames, items,
// minimum, maximum and oneOf (exactly one branch). Each problem names the member it is about.
inline bool json_has_type(const nlohmann::json& value, const std::string& type)
{
    if (type == "string") return value.is_string();
    if (type == "null") return value.is_null();
    if (type == "integer") return value.is_number_integer();
    if (type == "number") return value.is_number();
    if (type == "object") return value.is_object();
    if (type == "boolean") return value.is_boolean();
    if (type == "array") return value.is_array();
    return false;
}

inline std::vector<std::string> schema_problems(const nlohmann::json& schema, const nlohmann::json& value,
                                                const std::string& where = "$")
{
    std::vector<std::string> problems;
    if (schema.contains("oneOf")) {
        std::vector<std::string> all;
        std::size_t valid = 0;
        for (const auto& branch : schema["oneOf"]) {
            const std::vector<std::string> found = schema_problems(branch, value, where);
            valid += found.empty() ? 1 : 0;
            all.insert(all.end(), found.begin(), found.end());
        }
        if (valid == 0) problems = all;
        if (valid > 1) problems.push_back(where + ": valid against " + std::to_string(valid) + " branches of oneOf");
    }
    if (schema.contains("type")) {
        const nlohmann::json types =
            schema["type"].is_array() ? schema["type"] : nlohmann::json::array({schema["type"]});
        bool any = false;
        for (const auto& type : types) any = any || json_has_type(value, type.get<std::string>());
        if (!any) problems.push_back(where + ": " + value.dump() + " is not of type " + types.dump());
    }
    if (schema.contains("enum")) {
        bool listed = false;
        for (const auto& allowed : schema["enum"]) listed = listed || allowed == value;
        if (!listed) problems.push_back(where + ": " + value.dump() + " is not among " + schema["enum"].dump());
    }
    if (value.is_number() && schema.contains("minimum") && value.get<double>() < schema["minimum"].get<double>())
        problems.push_back(where + ": below its minimum");
    if (value.is_number() && schema.contains("maximum") && value.get<double>() > schema["maximum"].get<double>())
        problems.push_back(where + ": above its maximum");
    if (value.is_object()) {
        for (const auto& name : schema.value("required", nlohmann::json::array()))
            if (!value.contains(name.get<std::string>()))
                problems.push_back(where + "." + name.get<std::string>() + ": missing");
        const nlohmann::json properties = schema.value("properties", nlohmann::json::object());
        for (const auto& [name, member] : value.items()) {
            if (properties.contains(name)) {
                for (std::string& p : schema_problems(properties[name], member, where + "." + name))
                    problems.push_back(p);
            } else if (schema.value("additionalProperties", nlohmann::json(true)) == false) {
                problems.push_back(where + "." + name + ": not in the schema");
            } else if (schema.contains("additionalProperties") && schema["additionalProperties"].is_object()) {
                for (std::string& p : schema_problems(schema["additionalProperties"], member, where + "." + name))
                    problems.push_back(p);
            }
            if (schema.contains("propertyNames"))
                for (std::string& p : schema_problems(schema["propertyNames"], name, where + "." + name + " (name)"))
                    problems.push_back(p);
        }
    }
    if (value.is_array() && schema.contains("items"))
        for (std::size_t i = 0; i < value.size(); ++i)
            for (std::string& p : schema_problems(schema["items"], value[i], where + "[" + std::to_string(i) + "]"))
                problems.push_back(p);
    return problems;
}

inline nlohmann::json program_schema() { return nlohmann::json::parse(read_file(VOQ_CLI_SCHEMA)); }

}  // namespace voq::test
