#include "sim/device.h"

#include "firmware/image.h"

namespace voq::sim {

namespace {

// The install of a device: a header it can read, or the old firmware stays.
bool installable(const std::vector<std::uint8_t>& bytes)
{
    return fw::check_image(bytes) == fw::ImageFault::none && bytes[0] >= 0x20 && bytes[0] < 0x7f;
}

}  // namespace

SimulatedDevice::SimulatedDevice(DeviceConfig config) : config_(std::move(config)), web_(config_.web) {}

SimulatedDevice::~SimulatedDevice() { stop(); }

bool SimulatedDevice::start(std::string& error)
{
    web_.on_upgrade_request([this](const UpgradeRequest& request) {
        const std::lock_guard<std::mutex> hold(mutex_);
        workers_.emplace_back([this, request] { upgrade(request); });
    });
    return web_.start(error);
}

void SimulatedDevice::stop()
{
    stopping_ = true;
    // The web server first: an upgrade request it took after the workers were collected
    // would start a worker that nobody joins.
    web_.stop();
    std::vector<std::thread> workers;
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        workers.swap(workers_);
    }
    for (std::thread& worker : workers) worker.join();
}

std::vector<Fetch> SimulatedDevice::fetches() const
{
    const std::lock_guard<std::mutex> hold(mutex_);
    return fetches_;
}

void SimulatedDevice::upgrade(UpgradeRequest request)
{
    const auto say = [this](std::string_view text) { log(std::string(text)); };
    Fetch fetch = fetch_firmware(config_.web.address, request, config_.tftp, stopping_, say);
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        fetches_.push_back(fetch);
    }
    if (fetch.complete && !stopping_) install(fetch);
}

void SimulatedDevice::install(const Fetch& fetch)
{
    std::string version;
    if (installable(fetch.bytes)) {
        fw::Header header{};
        std::copy_n(fetch.bytes.begin(), header.size(), header.begin());
        version = std::string(fw::version_text(header));
        if (!config_.tftp.faults.reported_version.empty()) version = config_.tftp.faults.reported_version;
        log("installing " + version + ", restarting for " + std::to_string(config_.tftp.restart_ms) + " ms");
    } else {
        log("the image's header is unreadable: keeping the old firmware, restarting");
    }
    web_.restart(config_.tftp.restart_ms, version);
}

void SimulatedDevice::log(const std::string& text) const
{
    if (config_.web.log) config_.web.log(text);
}

}  // namespace voq::sim
