#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "bench/statistics.h"

namespace voq::bench {

// The steps of one device's upgrade as the simulated device sees them.
enum class Step {
    status_read,      // the first status page answered
    upgrade_request,  // the upgrade request answered
    read_request,     // its TFTP client asked for the file
    last_block,       // and acknowledged the last block
    back_up,          // its web server back after the restart
    verified,         // the status page answered after the restart
};
inline constexpr std::size_t step_count = 6;

// The step a device's log line marks, if any; after_restart tells a status read after
// the restart from the first.
const Step* step_of(std::string_view log_line, bool after_restart);

// When each device of a fleet run reached each step, in milliseconds from the moment
// the run began: where a fleet's wall time goes.
class FleetTimeline {
public:
    explicit FleetTimeline(std::size_t devices);
    // The devices' log, to be given to device index's configuration.
    std::function<void(std::string_view)> log_of(std::size_t index);
    void begin(std::uint32_t now_ms);
    // Over the devices that reached step; count says how many did.
    Spread spread_of_step(Step step, std::size_t& count) const;

private:
    struct Device {
        std::array<double, step_count> at{};
        std::array<bool, step_count> reached{};
    };
    mutable std::mutex mutex_;  // guards what follows
    std::uint32_t began_ms_ = 0;
    std::vector<Device> devices_;
};

}  // namespace voq::bench
