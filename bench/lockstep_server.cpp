#include "bench/lockstep_server.h"

#include <algorithm>
#include <array>
#include <sched.h>
#include <unistd.h>

#include "platform/socket_address.h"
#include "tftp/packet.h"

namespace voq::bench {

LockstepServer::LockstepServer(std::uint32_t address, std::uint16_t port, bool polls_while_waiting)
    : socket_(platform::open_datagram_socket()), own_address_(platform::fill_socket_address(address, port)),
      polls_while_waiting_(polls_while_waiting)
{
    if (!socket_.valid() || platform::bind_socket(socket_.handle(), own_address_) != platform::BindResult::bound)
        return;
    thread_ = std::thread([this] { run(); });
}

LockstepServer::~LockstepServer()
{
    if (!thread_.joinable()) return;
    // The receive blocks: a datagram of our own wakes it to see that it must go.
    stopping_ = true;
    platform::Socket waker(platform::open_datagram_socket());
    static constexpr std::uint8_t wake[2] = {0, 0};
    platform::send_datagram(waker.handle(), wake, sizeof wake, own_address_);
    thread_.join();
}

void LockstepServer::run()
{
    thread_id_ = ::gettid();
    std::array<std::uint8_t, tftp::packet_buffer_size> packet{};
    const auto block_count = [this] { return static_cast<std::uint32_t>(image_.size() / tftp::block_size + 1); };
    while (!stopping_) {
        platform::SocketAddress peer;
        if (polls_while_waiting_)
            while (platform::wait_readable(socket_.handle(), 1) == platform::Readiness::timed_out) {}
        const long received = platform::receive_datagram(socket_.handle(), packet.data(), packet.size(), peer);
        if (stopping_) return;
        if (received < 4) continue;
        const std::lock_guard<std::mutex> hold(image_mutex_);
        std::size_t length = 0;
        if (tftp::get_u16(packet.data()) == tftp::read_request) {
            length = tftp::build_option_acknowledgement(packet, static_cast<std::uint32_t>(image_.size()));
        } else if (tftp::get_u16(packet.data()) == tftp::acknowledgement) {
            // Block numbers wrap at 16 bits; no image here has more than 65535 blocks.
            const std::uint32_t next = tftp::get_u16(packet.data() + 2) + 1u;
            if (next > block_count()) continue;
            const std::size_t offset = (next - 1) * tftp::block_size;
            const std::size_t payload = std::min(tftp::block_size, image_.size() - offset);
            length = tftp::build_data(packet, next, {image_.data() + offset, payload});
        } else {
            continue;
        }
        platform::send_datagram(socket_.handle(), packet.data(), length, peer);
        last_cpu_.store(::sched_getcpu(), std::memory_order_relaxed);
    }
}

}  // namespace voq::bench
