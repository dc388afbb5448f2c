#include "tftp/listener.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/socket.h"
#include "platform/socket_address.h"
#include "platform/thread.h"
#include "session/failure_codes.h"
#include "session/trace.h"
#include "tftp/packet.h"
#include "tftp/transfer.h"
#include "ui/failure.h"
#include "ui/progress_screen.h"
#include "ui/views.h"

namespace voq::tftp {

namespace {

// Handed to the listener's thread, which releases it when it ends; where the process
// ends on that thread, never.
struct ListenerRecord {
    ListenerRecord() = default;
    ListenerRecord(const ListenerRecord&) = delete;
    ListenerRecord& operator=(const ListenerRecord&) = delete;
    // The port is free before port_hold is let go: members outlive this body.
    ~ListenerRecord()
    {
        if (socket != platform::invalid_socket) platform::close_socket(socket);
    }

    std::uint32_t local_address = 0;
    std::uint16_t port = 0;
    platform::SocketHandle socket = platform::invalid_socket;
    std::array<std::uint8_t, packet_buffer_size> receive_buffer{};
    session::Session* session = nullptr;
    std::shared_ptr<void> owner;  // the run's memory, where a process performs several
    std::shared_ptr<void> port_hold;
};

[[noreturn]] void serve_requests(ListenerRecord& listener)
{
    session::Session& session = *listener.session;
    bool first_wait = true;
    while (true) {
        const AcceptedRequest request =
            wait_for_read_request(session, listener.socket, listener.receive_buffer, first_wait);
        const Completion completion = serve_read_request(session, listener.socket, listener.local_address,
                                                         listener.port, request.peer, request.file_name);
        // A device that did not take the transition image must not be given the target.
        if (session.stage_flag.load() != 0 || completion == Completion::failed) {
            platform::close_socket(listener.socket);
            listener.socket = platform::invalid_socket;
            ui::end_process(session);
        }
        session.stage_flag.store(1);
        first_wait = false;
    }
}

int listener_thread(void* raw)
{
    const std::unique_ptr<ListenerRecord> listener(static_cast<ListenerRecord*>(raw));
    try {
        serve_requests(*listener);
    } catch (const ui::RunEnded&) {
    }
    return 0;
}

// A device asking for another file than it was told is worth knowing about.
void note_other_file(session::Session& session, std::span<const std::uint8_t> datagram,
                     const platform::SocketAddress& source)
{
    if (opcode_of(datagram) != read_request) return;
    const auto name = requested_file_name(datagram);
    if (!name) return;
    const platform::Endpoint peer = platform::read_socket_address(source);
    ui::note(session, record::ReadRequestFact{peer.address, peer.port, std::string(*name), false});
}

}  // namespace

Request judge_request(std::span<const std::uint8_t> datagram, std::string_view expected_file_name,
                      std::string& accepted_name)
{
    const auto opcode = opcode_of(datagram);
    if (!opcode) return Request::silence;
    switch (*opcode) {
    case read_request: {
        const auto name = requested_file_name(datagram);
        if (!name) return Request::silence;  // its name runs past the datagram
        const std::string expected(expected_file_name), requested(*name);
        trace("%s %s\n", expected.c_str(), requested.c_str());
        if (*name != expected_file_name) {
            trace("+++ Bad TFTP RRQ filename %s\n", requested.c_str());
            return Request::ignored;
        }
        accepted_name = requested;
        return Request::accepted;
    }
    case write_request:
        trace("TFTP Rx WRQ?\n");
        return Request::ignored;
    case data:
        trace("TFTP Rx Data?\n");
        return Request::ignored;
    case acknowledgement:
        trace("TFTP Rx ACK?\n");
        return Request::ignored;
    case error:
        trace("TFTP Rx Error?\n");
        return Request::ignored;
    default:
        return Request::ignored;
    }
}

AcceptedRequest wait_for_read_request(session::Session& session, platform::SocketHandle socket,
                                      std::span<std::uint8_t> receive_buffer, bool with_waiting_text)
{
    ui::note(session, record::PhaseFact{record::Phase::waiting_for_request});
    ui::ProgressScreen waiting(session, ui::waiting_view(with_waiting_text));
    waiting.set_position(0);
    platform::set_non_blocking(socket);
    const unsigned turn_ms = waiting.turn_interval_ms();
    std::uint32_t stepped_ms = platform::milliseconds();
    int activity = 0;
    while (true) {
        platform::SocketAddress source;
        const long received = platform::receive_datagram(socket, receive_buffer.data(), receive_buffer.size(), source);
        std::string name;
        const Request request = received > 0
                                    ? judge_request({receive_buffer.data(), static_cast<std::size_t>(received)},
                                                    session.expected_file_name.get().view(), name)
                                    : Request::silence;
        if (request == Request::accepted) {
            waiting.close();
            const platform::Endpoint peer = platform::read_socket_address(source);
            ui::note(session, record::ReadRequestFact{peer.address, peer.port, name});
            return {peer, name};
        }
        // Anything else goes straight back to receiving, without a pause.
        if (request == Request::ignored) {
            note_other_file(session, {receive_buffer.data(), static_cast<std::size_t>(received)}, source);
            continue;
        }

        platform::wait_readable(socket, turn_ms);
        // A turn steps the bar by the milliseconds it lasted, one at least and its own
        // length at most: a step a poll with a turn of a millisecond, and the same pace
        // with a turn at a human pace, without a wake-up for each step.
        const std::uint32_t now_ms = platform::milliseconds();
        const auto steps = static_cast<int>(std::clamp(now_ms - stepped_ms, 1u, turn_ms));
        stepped_ms = now_ms;
        activity = (activity + steps) % activity_steps;
        waiting.set_position(activity);
        waiting.pump(ui::every_message);
    }
}

std::optional<std::uint16_t> search_listener_port(const std::function<platform::BindResult(std::uint16_t)>& bind_port)
{
    bool refused_for_privilege = false;
    for (int attempt = 0; attempt < listener_port_attempts; ++attempt) {
        const auto port = static_cast<std::uint16_t>(first_listener_port + attempt);
        const platform::BindResult result = bind_port(port);
        if (result == platform::BindResult::bound) return port;
        refused_for_privilege = refused_for_privilege || result == platform::BindResult::not_permitted;
    }
    if (!refused_for_privilege) return std::nullopt;
    for (int attempt = 0; attempt < listener_port_attempts; ++attempt) {
        const auto port = static_cast<std::uint16_t>(first_unprivileged_listener_port + attempt);
        if (bind_port(port) == platform::BindResult::bound) return port;
    }
    return std::nullopt;
}

std::uint16_t start_listener(session::Session& session, std::uint32_t local_address)
{
    std::unique_ptr<ListenerRecord> listener(new (std::nothrow) ListenerRecord);
    if (listener == nullptr) ui::fail(session, session::Failure::cannot_allocate_listener);
    listener->session = &session;
    listener->owner = session.owner.lock();
    listener->port_hold = std::move(session.port_hold);
    listener->socket = platform::open_datagram_socket();
    if (listener->socket == platform::invalid_socket)
        ui::fail(session, session::Failure::cannot_create_listener_socket);

    // The same socket serves every attempt. Each range searched keeps the error of its
    // first refusal: the fallback range fails for reasons of its own, not the privilege
    // that sent the search there.
    constexpr std::array<std::uint16_t, 2> range_starts{first_listener_port, first_unprivileged_listener_port};
    std::array<std::optional<int>, 2> first_refusals;
    const std::optional<std::uint16_t> port = search_listener_port([&](std::uint16_t candidate) {
        const platform::BindResult result =
            platform::bind_socket(listener->socket, platform::fill_socket_address(local_address, candidate));
        std::optional<int>& refusal = first_refusals[candidate >= first_unprivileged_listener_port ? 1 : 0];
        if (result != platform::BindResult::bound && !refusal) refusal = platform::last_socket_error();
        return result;
    });
    if (!port) {
        for (std::size_t range = 0; range < range_starts.size(); ++range) {
            if (!first_refusals[range]) continue;
            const auto last_port = static_cast<std::uint16_t>(range_starts[range] + listener_port_attempts - 1);
            const std::string reason = platform::socket_error_text(*first_refusals[range]);
            trace("TFTP bind %x:%u-%u failed: %s\n", local_address, static_cast<unsigned>(range_starts[range]),
                  static_cast<unsigned>(last_port), reason.c_str());
            ui::note(session, record::CallFailedFact{record::Call::tftp_bind, local_address, range_starts[range],
                                                     last_port, *first_refusals[range], reason});
        }
        ui::fail(session, session::Failure::cannot_bind_listener_socket);
    }
    trace("TFTP listening on %x:%u\n", local_address, static_cast<unsigned>(*port));
    ui::note(session, record::ListeningFact{local_address, *port});
    listener->port = *port;
    listener->local_address = local_address;

    // Left running on its own: the run ends on it, or on a Cancel elsewhere.
    const std::uint16_t listening_port = listener->port;
    platform::Thread thread = platform::Thread::start(listener_thread, listener.get());
    if (!thread.valid()) ui::fail(session, session::Failure::cannot_start_listener);
    listener.release();
    return listening_port;
}

}  // namespace voq::tftp
