#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli_run.h"
#include "sim/device.h"
#include "support/files.h"
#include "support/loopback.h"

namespace voq::test {

// A TCP socket listening on port 80 of address, for a stand-in web server the test
// answers from, or leaves silent.
inline int listening_on_port_80(std::uint32_t address)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(80);
    where.sin_addr.s_addr = htonl(address);
    EXPECT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
    EXPECT_EQ(::listen(listener, 8), 0);
    return listener;
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
    // The test's own loopback pair, taken when first asked for; a test's other devices
    // stand in the same /24, at the pair's device address plus one and up.
    const LoopbackPair& pair()
    {
        if (!pair_) pair_ = loopback_pair();
        return *pair_;
    }
    std::string pc() { return dotted(pair().pc); }
    std::string device_address(unsigned other = 0) { return dotted(pair().device + other); }

    std::unique_ptr<sim::SimulatedDevice> start_device(sim::DeviceConfig config = quick_device(), unsigned other = 0)
    {
        return start_device_at(pair().device + other, config);
    }

    static std::unique_ptr<sim::SimulatedDevice> start_device_at(std::uint32_t address, sim::DeviceConfig config)
    {
        config.web.address = address;
        auto device = std::make_unique<sim::SimulatedDevice>(config);
        std::string problem;
        EXPECT_TRUE(device->start(problem)) << problem;
        return device;
    }

    // The options every run of a test takes: the pair's PC address, short waits.
    std::vector<std::string> arguments(std::vector<std::string> more = {})
    {
        std::vector<std::string> all{"--local-address", pc(), "--restart-wait", "1.5"};
        all.insert(all.end(), more.begin(), more.end());
        all.push_back(device_address());
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

    const std::vector<std::uint8_t> target = read_file_bytes(VOQ_TARGET_IMAGE_FILE);

private:
    std::optional<LoopbackPair> pair_;
    std::vector<std::string> written_;
};

}  // namespace voq::test
