#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/device_config.h"
#include "sim/tftp_client.h"
#include "sim/web_server.h"

namespace voq::sim {

// The whole simulated device: its web server, and, on each upgrade request, its
// TFTP client fetching the file, then the install and the restart.
class SimulatedDevice {
public:
    explicit SimulatedDevice(DeviceConfig config);
    ~SimulatedDevice();
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    bool start(std::string& error);
    void stop();

    WebServer& web() { return web_; }
    std::vector<Fetch> fetches() const;

private:
    void upgrade(UpgradeRequest request);
    void install(const Fetch& fetch);
    void log(const std::string& text) const;

    DeviceConfig config_;
    WebServer web_;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;  // guards what follows
    std::vector<std::thread> workers_;
    std::vector<Fetch> fetches_;
};

}  // namespace voq::sim
