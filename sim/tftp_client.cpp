#include "sim/tftp_client.h"

#include <algorithm>
#include <charconv>
#include <random>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/socket.h"
#include "platform/socket_address.h"
#include "tftp/packet.h"
#include "ui/views.h"

namespace voq::sim {

namespace {

// How long a receive waits at most, so that the stop and the patience are looked at.
constexpr unsigned poll_ms = 20;

platform::Socket bound_socket(std::uint32_t address)
{
    platform::Socket socket(platform::open_datagram_socket());
    platform::bind_socket(socket.handle(), platform::fill_socket_address(address, 0));
    return socket;
}

std::uint16_t port_of(const platform::Socket& socket)
{
    platform::SocketAddress local;
    return platform::local_address_of(socket.handle(), local) ? platform::read_socket_address(local).port : 0;
}

void send_acknowledgement(std::uint16_t block, const platform::Socket& from, const platform::Socket& other,
                          const platform::SocketAddress& server, const TftpFaults& faults, std::mt19937& chance)
{
    std::uint8_t packet[4];
    tftp::put_u16(packet, tftp::acknowledgement);
    tftp::put_u16(packet + 2, block);
    if (faults.stray_packets) {
        std::uint8_t stray[4];
        tftp::put_u16(stray, tftp::acknowledgement);
        tftp::put_u16(stray + 2, static_cast<std::uint16_t>(block + 1));
        platform::send_datagram(other.handle(), stray, sizeof stray, server);
    }
    if (faults.ack_delay_ms > 0 && block > 0 && block % 100 == 0) platform::sleep_milliseconds(faults.ack_delay_ms);
    if (faults.ack_loss > 0 && std::uniform_real_distribution<double>(0, 1)(chance) < faults.ack_loss) return;
    const platform::Socket& sender = faults.acks_from_other_port ? other : from;
    platform::send_datagram(sender.handle(), packet, sizeof packet, server);
    if (faults.duplicate_acks) platform::send_datagram(sender.handle(), packet, sizeof packet, server);
    if (faults.stale_acks && block > 0) {
        tftp::put_u16(packet + 2, static_cast<std::uint16_t>(block - 1));
        platform::send_datagram(sender.handle(), packet, sizeof packet, server);
    }
}

void send_error(const platform::Socket& from, const platform::SocketAddress& server)
{
    static constexpr std::uint8_t refusal[] = {0, tftp::error, 0, 8, 'o', 'p', 't', 'i', 'o', 'n', 's', 0};
    platform::send_datagram(from.handle(), refusal, sizeof refusal, server);
}

// The size the option acknowledgement names ("tsize", its value); 0 when it names none.
std::size_t named_size(const std::uint8_t* packet, std::size_t length)
{
    const std::string_view options(reinterpret_cast<const char*>(packet) + 2, length < 2 ? 0 : length - 2);
    for (std::size_t at = 0; at < options.size();) {
        const std::size_t name_end = options.find('\0', at);
        if (name_end == std::string_view::npos) break;
        const std::size_t value_end = std::min(options.find('\0', name_end + 1), options.size());
        if (options.substr(at, name_end - at) == "tsize") {
            const std::string_view value = options.substr(name_end + 1, value_end - name_end - 1);
            std::size_t size = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), size);
            return error == std::errc{} && end == value.data() + value.size() ? size : 0;
        }
        at = value_end + 1;
    }
    return 0;
}

std::string shown(const std::uint8_t* bytes, std::size_t length)
{
    std::string text(reinterpret_cast<const char*>(bytes), length);
    for (char& c : text) {
        if (c == '\0') c = '|';
    }
    return text;
}

}  // namespace

std::vector<std::uint8_t> read_request_packet(std::string_view file_name)
{
    std::vector<std::uint8_t> packet{0, tftp::read_request};
    const auto put = [&packet](std::string_view text) {
        packet.insert(packet.end(), text.begin(), text.end());
        packet.push_back(0);
    };
    put(file_name);
    put("octet");
    put("tsize");
    put("0");
    put("timeout");
    put("5");
    return packet;
}

Fetch fetch_firmware(std::uint32_t device_address, const UpgradeRequest& request, const TftpConfig& config,
                     const std::atomic<bool>& stop, const std::function<void(std::string_view)>& log)
{
    const TftpFaults& faults = config.faults;
    Fetch fetch;
    fetch.file_name = request.file_name;
    if (faults.never_request) {
        log("told to fetch " + request.file_name + ", but never asking");
        return fetch;
    }
    platform::Socket socket = bound_socket(device_address);
    platform::Socket other = bound_socket(device_address);
    // A receive that waits itself, rather than a poll before it: half the system calls a
    // block, which in a benchmark of a hundred devices on a few cores is the devices'
    // share of the processor.
    if (!platform::set_receive_time_limit(socket.handle(), poll_ms)) {
        log("cannot bound the wait of a receive; not asking for " + request.file_name);
        return fetch;
    }
    fetch.client_port = port_of(socket);
    // The tool answers from the port it was asked on; RFC 1350 servers from a new one,
    // which its first answer names.
    platform::SocketAddress server = platform::fill_socket_address(request.address, request.port);
    bool server_port_known = false;

    platform::sleep_milliseconds(config.request_delay_ms);
    if (faults.wrong_name_first) {
        const auto wrong = read_request_packet(request.file_name + "x");
        platform::send_datagram(socket.handle(), wrong.data(), wrong.size(), server);
        platform::sleep_milliseconds(300);
    }
    const auto rrq = read_request_packet(request.file_name);
    platform::send_datagram(socket.handle(), rrq.data(), rrq.size(), server);
    log("asked for " + request.file_name + " from port " + std::to_string(fetch.client_port));

    std::mt19937 chance(faults.seed);
    // Of each DATA block; the options' at 0. Grown as blocks come, and with the image's
    // bytes sized once from the size the server names: a hundred clients of one process
    // growing a megabyte each, page by page, cost them a fifth of their time.
    std::vector<unsigned> copies;
    const auto count_copy = [&](std::uint16_t block) {
        if (block >= copies.size()) copies.resize(std::size_t{block} + 1);
        fetch.most_copies_of_a_packet = std::max(fetch.most_copies_of_a_packet, ++copies[block]);
    };
    bool gone_silent = false;
    std::uint16_t expected_block = 1;
    std::uint32_t last_heard = platform::milliseconds();
    std::uint8_t packet[tftp::packet_buffer_size];
    while (!stop && platform::milliseconds() - last_heard < config.patience_ms) {
        platform::SocketAddress source;
        const long received = platform::receive_datagram(socket.handle(), packet, sizeof packet, source);
        if (received < 4) continue;
        const platform::Endpoint from = platform::read_socket_address(source);
        if (config.follow_new_port && !server_port_known && from.address == request.address) {
            server = source;
            server_port_known = true;
        }
        if (from != platform::read_socket_address(server)) {
            if (fetch.foreign_packets++ == 0)
                log("ignoring a packet from " + ui::dotted(from.address) + ":" + std::to_string(from.port) +
                    ", not the server's " + ui::dotted(request.address) + ":" + std::to_string(request.port));
            continue;
        }
        last_heard = platform::milliseconds();
        const std::uint16_t opcode = tftp::get_u16(packet);
        if (opcode == tftp::option_acknowledgement || opcode == tftp::data)
            count_copy(opcode == tftp::data ? tftp::get_u16(packet + 2) : 0);
        if (gone_silent) continue;
        if (opcode == tftp::option_acknowledgement) {
            fetch.option_acknowledgement = shown(packet, static_cast<std::size_t>(received));
            if (const std::size_t size = named_size(packet, static_cast<std::size_t>(received));
                size > 0 && size <= (std::size_t{64} << 20) && fetch.bytes.empty()) {
                fetch.bytes.reserve(size);
                copies.reserve(size / tftp::block_size + 2);
            }
            if (faults.error_instead_of_ack0) {
                send_error(socket, server);
            } else if (expected_block == 1) {
                send_acknowledgement(0, socket, other, server, faults, chance);
            }
            continue;
        }
        if (opcode != tftp::data) continue;
        if (faults.data_loss > 0 && std::uniform_real_distribution<double>(0, 1)(chance) < faults.data_loss) continue;
        const std::uint16_t block = tftp::get_u16(packet + 2);
        if (block == expected_block && static_cast<int>(block) == faults.silent_from_block) {
            log("going silent at block " + std::to_string(block));
            gone_silent = true;
            continue;
        }
        if (block == expected_block) {
            fetch.bytes.insert(fetch.bytes.end(), packet + 4, packet + received);
            if (static_cast<int>(block) == faults.pause_at_block) {
                platform::sleep_milliseconds(faults.pause_ms);
                last_heard = platform::milliseconds();  // its own pause is no silence of the server's
            }
            ++expected_block;
        }
        // A repeated block is acknowledged again, as the one before.
        if (static_cast<std::uint16_t>(block + 1) == expected_block)
            send_acknowledgement(block, socket, other, server, faults, chance);
        if (static_cast<std::uint16_t>(block + 1) == expected_block &&
            received - 4 < static_cast<long>(tftp::block_size))
            fetch.complete = true;
        if (fetch.complete) break;
    }
    // Said before the lingering, so that a log's times show when the transfer ended.
    log(std::string(fetch.complete ? "received " : "gave up after ") + std::to_string(fetch.bytes.size()) +
        " bytes of " + request.file_name);
    // Linger a little, as TFTP clients do: should the last acknowledgement have been
    // lost, the server repeats the last block and is answered again.
    const std::uint32_t finished = platform::milliseconds();
    while (fetch.complete && !stop && platform::milliseconds() - finished < config.dally_ms) {
        platform::SocketAddress source;
        const long received = platform::receive_datagram(socket.handle(), packet, sizeof packet, source);
        if (received >= 4 && tftp::get_u16(packet) == tftp::data &&
            tftp::get_u16(packet + 2) == static_cast<std::uint16_t>(expected_block - 1))
            send_acknowledgement(static_cast<std::uint16_t>(expected_block - 1), socket, other, server, faults, chance);
    }
    return fetch;
}

}  // namespace voq::sim
