#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>
#include <sys/types.h>
#include <thread>

#include "bench/quiet_screens.h"
#include "firmware/image.h"
#include "platform/socket.h"
#include "session/session.h"
#include "tftp/packet.h"
#include "tftp/transfer.h"

namespace voq::bench {

// The tool's own TFTP server with a front-end that costs nothing, serving as the
// listener serves: one socket and one thread for every delivery, the thread on the
// waiting screen from one delivery to the next and woken by nothing but the device's
// read request. A thread started, or woken, by the benchmark for each delivery is
// placed by the scheduler on the idlest CPU, away from the client, while the client
// runs; every block's wake would then cross between CPUs for the whole transfer,
// and the placements compared would be how each server was started, not its code.
class ToolServer {
public:
    ToolServer(std::uint32_t address, std::uint16_t port, std::string_view file_name);
    ToolServer(const ToolServer&) = delete;
    ToolServer& operator=(const ToolServer&) = delete;
    ~ToolServer();

    bool started() const { return thread_.joinable(); }
    std::uint32_t address() const { return address_; }
    std::uint16_t port() const { return port_; }
    pid_t thread_id() const { return thread_id_.load(); }
    std::thread::native_handle_type native_thread() { return thread_.native_handle(); }
    const QuietScreens& screens() const { return screens_; }
    // Where its thread ended the last delivery; -1 before the first.
    int last_cpu() const { return last_cpu_.load(); }

    // The image for the next read request, which must outlive its delivery or its
    // withdrawal; only while no delivery runs.
    void deliver(const fw::FirmwareImage& image);
    // The outcome of the delivery asked for last, once it ended; only after its read
    // request was answered (a transfer gives up after its silence floor, 30 s).
    tftp::Outcome wait_delivered();
    // For a read request that went unanswered: the image is no longer to be served,
    // or, should a late request have taken it already, its delivery has ended.
    void withdraw();
    // Ends its thread, wherever it waits; the server serves nothing after.
    void stop();
    // The images taken by a read request, since the start.
    int deliveries() const { return deliveries_.load(); }

private:
    void run();

    session::Session session_{1};
    QuietScreens screens_;
    platform::Socket socket_;
    std::uint32_t address_ = 0;
    std::uint16_t port_ = 0;
    std::array<std::uint8_t, tftp::packet_buffer_size> receive_buffer_{};

    std::mutex mutex_;  // guards what follows
    std::condition_variable delivered_;
    std::optional<fw::FirmwareImage> next_image_;
    std::optional<tftp::Outcome> outcome_;
    bool serving_ = false;  // from a request taking the image to its outcome
    bool stopping_ = false;

    std::atomic<bool> finished_{false};
    std::atomic<pid_t> thread_id_{0};
    std::atomic<int> last_cpu_{-1};
    std::atomic<int> deliveries_{0};
    std::thread thread_;
};

}  // namespace voq::bench
