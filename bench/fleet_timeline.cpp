#include "bench/fleet_timeline.h"

#include "platform/clock.h"

namespace voq::bench {

const Step* step_of(std::string_view line, bool after_restart)
{
    static constexpr Step steps[step_count] = {Step::status_read, Step::upgrade_request, Step::read_request,
                                               Step::last_block,  Step::back_up,         Step::verified};
    const auto answered = [&](std::string_view path) {
        return line.starts_with("GET " + std::string(path)) && line.find(" -> 200") != std::string_view::npos;
    };
    if (answered("/admin/advanced ")) return &steps[after_restart ? 5 : 0];
    if (answered("/admin/upgrade?")) return &steps[1];
    if (line.starts_with("asked for ")) return &steps[2];
    if (line.starts_with("received ")) return &steps[3];
    if (line.starts_with("back after the restart")) return &steps[4];
    return nullptr;
}

FleetTimeline::FleetTimeline(std::size_t devices) : devices_(devices) {}

void FleetTimeline::begin(std::uint32_t now_ms)
{
    const std::lock_guard<std::mutex> hold(mutex_);
    began_ms_ = now_ms;
}

std::function<void(std::string_view)> FleetTimeline::log_of(std::size_t index)
{
    return [this, index](std::string_view line) {
        const std::uint32_t now = platform::milliseconds();
        const std::lock_guard<std::mutex> hold(mutex_);
        Device& device = devices_.at(index);
        const Step* step = step_of(line, device.reached[static_cast<std::size_t>(Step::back_up)]);
        if (step == nullptr) return;
        const auto k = static_cast<std::size_t>(*step);
        if (device.reached[k]) return;  // the first time counts
        device.reached[k] = true;
        device.at[k] = static_cast<double>(now - began_ms_);
    };
}

Spread FleetTimeline::spread_of_step(Step step, std::size_t& count) const
{
    const std::lock_guard<std::mutex> hold(mutex_);
    std::vector<double> times;
    const auto k = static_cast<std::size_t>(step);
    for (const Device& device : devices_)
        if (device.reached[k]) times.push_back(device.at[k]);
    count = times.size();
    return spread_of(std::move(times));
}

}  // namespace voq::bench
