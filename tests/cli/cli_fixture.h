#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "cli_run.h"
#include "sim/device.h"
#include "support/loopback.h"

namespace voq::test {

inline std::vector<std::uint8_t> file_bytes(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A device that asks soon and restarts quickly; the program waits 1.5 s for it (the
// device stays 0.6 s after the last block before it restarts).
inline sim::DeviceConfig quick_device()
{
    sim::DeviceConfig config;
    config.tftp.request_delay_ms = 50;
    config.tftp.restart_ms = 200;
    return config;
}

inline bool holds_control_characters(const std::string& text)
{
    for (const char c : text)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7f) return true;
    return false;
}

class CliTest : public ::testing::Test {
protected:
    // Each test its own loopback pair, from 210 to 239.
    std::unique_ptr<sim::SimulatedDevice> start_device(unsigned pair, sim::DeviceConfig config = quick_device())
    {
        config.web.address = loopback_pair(pair).device;
        auto device = std::make_unique<sim::SimulatedDevice>(config);
        std::string problem;
        EXPECT_TRUE(device->start(problem)) << problem;
        return device;
    }

    // The options every run of a test takes: the pair's PC address, short waits.
    static std::vector<std::string> arguments(unsigned pair, std::vector<std::string> more = {})
    {
        std::vector<std::string> all{"--local-address", dotted(loopback_pair(pair).pc), "--restart-wait", "1.5"};
        all.insert(all.end(), more.begin(), more.end());
        all.push_back(dotted(loopback_pair(pair).device));
        return all;
    }

    std::string write_file(const std::string& name, const std::string& contents)
    {
        const std::string path = "/tmp/voq-cli-" + std::to_string(::getpid()) + "-" + name;
        std::ofstream(path, std::ios::binary) << contents;
        written_.push_back(path);
        return path;
    }

    void TearDown() override
    {
        for (const std::string& path : written_) std::remove(path.c_str());
    }

    const std::vector<std::uint8_t> target = file_bytes(VOQ_TARGET_IMAGE_FILE);

private:
    std::vector<std::string> written_;
};

}  // namespace voq::test
