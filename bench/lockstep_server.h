#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <sys/types.h>
#include <thread>
#include <vector>

#include "platform/socket.h"

namespace voq::bench {

// The least a server can do for the devices' client: a blocking receive, the option
// acknowledgement for a read request, then one DATA for each acknowledgement of the
// block before, and nothing else (no timers, no retransmission, no screen, no check
// of the name). What the client and the loopback allow at best; the tool's time is
// stated as a ratio to it. Serves every read request on its thread until it goes.
// One that polls while it waits wakes every millisecond until a datagram comes, as
// the tool waits for a read request and for each acknowledgement; the rest is the same.
class LockstepServer {
public:
    LockstepServer(std::uint32_t address, std::uint16_t port, bool polls_while_waiting = false);
    LockstepServer(const LockstepServer&) = delete;
    LockstepServer& operator=(const LockstepServer&) = delete;
    ~LockstepServer();

    bool started() const { return thread_.joinable(); }
    // Its thread's id for the scheduler, once the thread runs.
    pid_t thread_id() const { return thread_id_.load(); }
    // Where its thread sent its last datagram; -1 before the first.
    int last_cpu() const { return last_cpu_.load(); }
    // The image for the next request; only while no fetch runs.
    void serve(std::vector<std::uint8_t> image)
    {
        const std::lock_guard<std::mutex> hold(image_mutex_);
        image_ = std::move(image);
    }

private:
    void run();

    platform::Socket socket_;
    platform::SocketAddress own_address_{};
    std::mutex image_mutex_;  // guards image_
    std::vector<std::uint8_t> image_;
    bool polls_while_waiting_ = false;
    std::atomic<bool> stopping_{false};
    std::atomic<pid_t> thread_id_{0};
    std::atomic<int> last_cpu_{-1};
    std::thread thread_;
};

}  // namespace voq::bench
