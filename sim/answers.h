#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/device_config.h"

namespace voq::sim {

// The status page "/admin/advanced": the five labels in the cells of a table.
std::string status_page(const Identity& identity);

std::string ok_answer(std::string_view page);
std::string digest_challenge_answer(const DigestConfig& config, std::string_view nonce);
std::string error_answer(int status);

// The answer the status page gets under a fault, or nothing when the fault does not
// change what is said.
std::optional<std::string> faulty_status_answer(const WebConfig& config);

// "/admin/upgrade?tftp://a.b.c.d:port/name": where the device is told to fetch its firmware.
struct UpgradeRequest {
    std::uint32_t address;  // host order
    std::uint16_t port;
    std::string file_name;  // from its leading '/'
};

std::optional<UpgradeRequest> parse_upgrade_path(std::string_view path);

}  // namespace voq::sim
