#include "bench/tool_server.h"

#include <sched.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/clock.h"
#include "platform/socket_address.h"
#include "sim/tftp_client.h"
#include "tftp/listener.h"
#include "ui/progress_screen.h"
#include "ui/views.h"

namespace voq::bench {

ToolServer::ToolServer(std::uint32_t address, std::uint16_t port, std::string_view file_name)
    : socket_(platform::open_datagram_socket()), address_(address), port_(port)
{
    session_.screens = &screens_;
    session_.display_name = "VOQ-3300";
    session_.expected_file_name.assign(file_name);
    if (!socket_.valid() || platform::bind_socket(socket_.handle(), platform::fill_socket_address(address, port)) !=
                                platform::BindResult::bound)
        return;
    thread_ = std::thread([this] { run(); });
    // Its id, for the placements, before anything is placed.
    while (thread_id_ == 0) std::this_thread::yield();
}

ToolServer::~ToolServer() { stop(); }

void ToolServer::stop()
{
    if (!thread_.joinable()) return;
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        stopping_ = true;
    }
    // Only a read request ends the wait. One that comes while a transfer (of a failed
    // fetch) runs is dropped as a stranger's, so it is asked again until the thread goes.
    const std::string expected(session_.expected_file_name.get().view());
    const std::vector<std::uint8_t> request = sim::read_request_packet(expected);
    platform::Socket waker;
    while (!finished_) {
        if (!waker.valid()) waker = platform::Socket(platform::open_datagram_socket());
        platform::send_datagram(waker.handle(), request.data(), request.size(),
                                platform::fill_socket_address(address_, port_));
        platform::sleep_milliseconds(50);
    }
    thread_.join();
}

void ToolServer::deliver(const fw::FirmwareImage& image)
{
    const std::lock_guard<std::mutex> hold(mutex_);
    outcome_.reset();
    next_image_ = image;
}

void ToolServer::withdraw()
{
    std::unique_lock<std::mutex> hold(mutex_);
    next_image_.reset();
    delivered_.wait(hold, [this] { return !serving_; });
}

tftp::Outcome ToolServer::wait_delivered()
{
    std::unique_lock<std::mutex> hold(mutex_);
    delivered_.wait(hold, [this] { return outcome_.has_value(); });
    return *outcome_;
}

// The listener's loop, each request served with the image asked for last; the
// restart wait and the device's check that follow in the product are not timed.
void ToolServer::run()
{
    thread_id_ = ::gettid();
    bool first_wait = true;
    while (true) {
        const tftp::AcceptedRequest request =
            tftp::wait_for_read_request(session_, socket_.handle(), receive_buffer_, first_wait);
        first_wait = false;
        std::optional<fw::FirmwareImage> image;
        {
            const std::lock_guard<std::mutex> hold(mutex_);
            if (stopping_) break;
            image.swap(next_image_);
            serving_ = image.has_value();
        }
        if (!image) continue;  // no delivery asked for: the client is left to its patience
        ++deliveries_;

        tftp::TransferSession transfer;
        transfer.socket = socket_.handle();
        transfer.local_address = address_;
        transfer.local_port = port_;
        transfer.peer = request.peer;
        transfer.requested_file_name.assign(request.file_name);
        session_.target_image = *image;
        tftp::start_transfer_session(transfer, *image);
        const tftp::Outcome outcome = [&] {
            ui::ProgressScreen uploading(session_, ui::uploading_view(static_cast<int>(transfer.block_count)));
            return tftp::transfer_image(session_, transfer, *image, uploading);
        }();
        last_cpu_ = ::sched_getcpu();
        const std::lock_guard<std::mutex> hold(mutex_);
        outcome_ = outcome;
        serving_ = false;
        delivered_.notify_all();
    }
    finished_ = true;
}

}  // namespace voq::bench
