#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace voq::cli {

// What an argument or the first field of a devices file's line names: one address,
// a host name the system's resolver is to turn into one, or a range of addresses to
// look for devices in.
enum class TargetKind { address, name, range };

struct DeviceTarget {
    TargetKind kind = TargetKind::address;
    std::uint32_t first = 0;  // the address; a range's first and last
    std::uint32_t last = 0;
    std::string problem;  // empty when the text names one of them
};

// Most hosts of the ranges of one run unless --max-hosts allows more: a /20, which
// probing takes seconds, not hours.
inline constexpr std::uint32_t default_most_range_hosts = 4096;
// Most that --max-hosts allows: a /16. Each host is planned before the first probe.
inline constexpr std::uint32_t largest_range_hosts = 65536;

// "10.1.0.13", "voq-lobby.example", "10.1.0.0/24" (its network and broadcast
// addresses left out, down to a /30), "10.1.0.10-40" or "10.1.0.10-10.1.1.40".
DeviceTarget parse_target(std::string_view text);

inline std::uint64_t host_count(const DeviceTarget& target)
{
    return target.kind == TargetKind::range ? std::uint64_t{target.last} - target.first + 1 : 1;
}

}  // namespace voq::cli
