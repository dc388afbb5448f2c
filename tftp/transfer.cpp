#include "tftp/transfer.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "platform/clock.h"
#include "platform/queued_datagrams.h"
#include "platform/waiting_receiver.h"
#include "session/failure_codes.h"
#include "session/trace.h"
#include "tftp/completion.h"
#include "ui/failure.h"
#include "ui/views.h"

namespace voq::tftp {

namespace {

// A refused send is left to the retransmissions like a lost datagram, and told once
// for each run of refusals with one reason: a device out of reach would otherwise
// fill the trace with thirty alike.
void send_packet(session::Session& session, TransferSession& transfer, std::size_t length,
                 const platform::SocketAddress& peer)
{
    if (platform::send_datagram(transfer.socket, transfer.packet.data(), length, peer) >= 0) {
        transfer.send_error = 0;
        return;
    }
    const int error = platform::last_socket_error();
    if (error == transfer.send_error) return;
    transfer.send_error = error;
    const std::string reason = platform::socket_error_text(error);
    trace("TFTP send to %x:%u failed: %s\n", transfer.peer.address, static_cast<unsigned>(transfer.peer.port),
          reason.c_str());
    ui::note(session, record::CallFailedFact{record::Call::tftp_send, transfer.peer.address, transfer.peer.port,
                                             transfer.peer.port, error, reason});
}

void note_packet(session::Session& session, const TransferSession& transfer, record::Packet packet, std::uint32_t block)
{
    if (transfer.note_packets) ui::note(session, record::PacketFact{packet, block});
}

// What an arrival was, told apart further than the transfer needs: silence from
// another peer or of another kind, stale, or the acknowledgement awaited.
void note_arrival(session::Session& session, const TransferSession& transfer, Arrival arrival,
                  std::span<const std::uint8_t> datagram, const platform::Endpoint& source)
{
    if (!transfer.note_packets) return;
    switch (arrival) {
    case Arrival::acknowledged:
        return note_packet(session, transfer, record::Packet::acknowledgement, transfer.next_block);
    case Arrival::stale:
        return note_packet(session, transfer, record::Packet::ignored_stale, acknowledged_block(datagram).value_or(0));
    case Arrival::silence:
        return note_packet(session, transfer,
                           source != transfer.peer ? record::Packet::ignored_other_peer
                                                   : record::Packet::ignored_not_acknowledgement,
                           0);
    }
}

void send_option_acknowledgement(session::Session& session, TransferSession& transfer,
                                 const platform::SocketAddress& peer)
{
    send_packet(session, transfer, build_option_acknowledgement(transfer.packet, transfer.image_size), peer);
}

// Block next_block, which is also the one a retransmission repeats.
void send_current_block(session::Session& session, TransferSession& transfer, const fw::FirmwareImage& image,
                        const platform::SocketAddress& peer)
{
    const std::size_t offset = static_cast<std::size_t>(transfer.next_block - 1) * block_size;
    const auto payload = image.bytes.subspan(offset, static_cast<std::size_t>(transfer.current_block_length));
    send_packet(session, transfer, build_data(transfer.packet, transfer.next_block, payload), peer);
}

record::TransferFact transfer_fact(const TransferSession& transfer, bool given_up)
{
    const std::uint32_t blocks = transfer.next_block == 0 ? 0 : transfer.next_block - 1;
    return {transfer.transition_image, static_cast<std::uint32_t>(transfer.bytes_acknowledged),
            transfer.image_size,       blocks,
            transfer.retransmissions,  given_up,
            transfer.next_block};
}

// The acknowledgement awaited has come: count its block, and send the next one.
// False when it was the last.
bool advance(session::Session& session, TransferSession& transfer, const fw::FirmwareImage& image,
             const platform::SocketAddress& peer, ui::ProgressScreen& uploading)
{
    transfer.bytes_acknowledged += transfer.current_block_length;
    ++transfer.next_block;
    uploading.set_position(static_cast<int>(transfer.next_block));
    if (transfer.shows_caption)
        uploading.set_caption(ui::uploading_caption(session, transfer.bytes_acknowledged, transfer.image_size));
    ui::note(session, transfer_fact(transfer, false));
    if (transfer.next_block > transfer.block_count) {
        trace("All blocks ack'd\n");
        return false;
    }
    transfer.current_block_length = transfer.next_block == transfer.block_count ? transfer.last_block_length
                                                                                : static_cast<std::int32_t>(block_size);
    trace("Send block %d (%d)\n", static_cast<int>(transfer.next_block), transfer.current_block_length);
    send_current_block(session, transfer, image, peer);
    note_packet(session, transfer, record::Packet::block_sent, transfer.next_block);
    return true;
}

void retransmit(session::Session& session, TransferSession& transfer, const fw::FirmwareImage& image,
                const platform::SocketAddress& peer)
{
    ++transfer.retransmissions;
    if (transfer.next_block == 0) {
        trace("ReSend option ack\n");
        send_option_acknowledgement(session, transfer, peer);
        note_packet(session, transfer, record::Packet::option_acknowledgement_resent, 0);
    } else {
        trace("ReSend block %d\n", static_cast<int>(transfer.next_block));
        send_current_block(session, transfer, image, peer);
        note_packet(session, transfer, record::Packet::block_resent, transfer.next_block);
    }
}

// Whether the acknowledgement awaited is among the datagrams waiting now; the others
// go as silence. None that comes later is read, so that a stream cannot keep the
// reading going.
bool awaited_is_queued(session::Session& session, TransferSession& transfer)
{
    platform::QueueMark mark = platform::mark_queue(transfer.socket);
    while (true) {
        platform::SocketAddress source;
        const long received = platform::receive_before_mark(transfer.socket, mark, transfer.packet.data(),
                                                            transfer.packet.size(), source);
        if (received < 0) return false;
        const std::span<const std::uint8_t> datagram{transfer.packet.data(), static_cast<std::size_t>(received)};
        const platform::Endpoint from = platform::read_socket_address(source);
        const Arrival arrival = judge_datagram(transfer, datagram, from);
        note_arrival(session, transfer, arrival, datagram, from);
        if (arrival == Arrival::acknowledged) return true;
    }
}

}  // namespace

Arrival judge_datagram(const TransferSession& transfer, std::span<const std::uint8_t> datagram,
                       const platform::Endpoint& source)
{
    if (source != transfer.peer) {
        trace("Unknown source request in session: %x:%u", source.address, source.port);
        return Arrival::silence;
    }
    const auto block = acknowledged_block(datagram);
    if (!block) return Arrival::silence;
    return *block == transfer.next_block ? Arrival::acknowledged : Arrival::stale;
}

void start_transfer_session(TransferSession& transfer, const fw::FirmwareImage& image)
{
    transfer.next_block = 0;
    transfer.bytes_acknowledged = 0;
    transfer.current_block_length = 0;
    transfer.image_size = image.size;
    transfer.block_count = image.size / block_size + 1;
    transfer.last_block_length = static_cast<std::int32_t>(image.size % block_size);
    trace("++++size %d, %d, %d\n", static_cast<int>(transfer.image_size), transfer.last_block_length,
          static_cast<int>(transfer.block_count));
}

SilenceVerdict count_silence(Silence& silence, int polls, std::uint32_t now_ms, std::uint32_t floor_ms)
{
    for (; polls > 0 && silence.silent_periods < silent_periods_to_give_up; --polls) {
        if (++silence.idle_polls < idle_polls_per_period) continue;
        silence.idle_polls = 0;
        // Polls left over after a resend are dropped: the next period starts with it.
        if (++silence.silent_periods < silent_periods_to_give_up) return SilenceVerdict::resend;
    }
    const bool sends_spent = silence.silent_periods >= silent_periods_to_give_up;
    if (sends_spent && now_ms - silence.last_progress_ms >= floor_ms) return SilenceVerdict::give_up;
    return SilenceVerdict::keep_waiting;
}

std::uint32_t silence_left_ms(const Silence& silence, std::uint32_t now_ms, std::uint32_t floor_ms)
{
    if (silence.silent_periods < silent_periods_to_give_up)
        return static_cast<std::uint32_t>(idle_polls_per_period - silence.idle_polls);
    const std::uint32_t silent_ms = now_ms - silence.last_progress_ms;
    return silent_ms >= floor_ms ? 0 : floor_ms - silent_ms;
}

Outcome transfer_image(session::Session& session, TransferSession& transfer, const fw::FirmwareImage& image,
                       ui::ProgressScreen& uploading)
{
    const platform::SocketAddress peer = platform::fill_socket_address(transfer.peer.address, transfer.peer.port);
    platform::date_arrivals(transfer.socket);
    transfer.note_packets = ui::notes_packets(session);
    transfer.shows_caption = session.screens->shows_transfer_caption();
    const std::uint32_t turn_ms = uploading.turn_interval_ms();
    platform::WaitingReceiver receiver(transfer.socket);
    send_option_acknowledgement(session, transfer, peer);
    note_packet(session, transfer, record::Packet::option_acknowledgement_sent, 0);
    Silence silence{.last_progress_ms = platform::milliseconds()};
    std::uint32_t counted_until_ms = silence.last_progress_ms;
    std::uint32_t last_turn_ms = silence.last_progress_ms;

    while (true) {
        // One wait to whatever comes first: a datagram, the next resend, the giving up, or
        // a turn of the screen since the wait began (while the device answers, every answer
        // brings the screen its turn below). No timer runs out while the device answers, so
        // the thread is woken only by the datagram, beside the device's side wherever the
        // system put it; whatever is already waiting ends the wait at once.
        const std::uint32_t wait_ms =
            std::min(turn_ms, silence_left_ms(silence, platform::milliseconds(), session.transfer_silence_floor_ms));
        platform::SocketAddress source;
        const long received = receiver.receive(transfer.packet.data(), transfer.packet.size(), source, wait_ms);
        Arrival arrival = Arrival::silence;
        if (received > 0) {
            const std::span<const std::uint8_t> datagram{transfer.packet.data(), static_cast<std::size_t>(received)};
            const platform::Endpoint from = platform::read_socket_address(source);
            arrival = judge_datagram(transfer, datagram, from);
            note_arrival(session, transfer, arrival, datagram, from);
        }
        // Due by the clock alone, and decided before the screen's turn, which may hold this
        // thread for long: what is waiting by then is read, and no more, so that the
        // acknowledgement queued behind a stall still counts while a stream of other
        // datagrams cannot hold the giving up off.
        if (arrival != Arrival::acknowledged &&
            count_silence(silence, 0, platform::milliseconds(), session.transfer_silence_floor_ms) ==
                SilenceVerdict::give_up) {
            if (!awaited_is_queued(session, transfer)) {
                trace("Timeout for ack; upgrade failed\n");
                ui::note(session, transfer_fact(transfer, true));
                return Outcome::given_up;
            }
            arrival = Arrival::acknowledged;
        }
        if (arrival == Arrival::acknowledged) {
            silence = Silence{.last_progress_ms = platform::milliseconds()};
            counted_until_ms = silence.last_progress_ms;
            if (!advance(session, transfer, image, peer, uploading)) return Outcome::complete;
        }
        // The screen answers at its own pace, even through a stream of datagrams.
        if (platform::milliseconds() - last_turn_ms >= turn_ms) {
            uploading.pump(1);
            last_turn_ms = platform::milliseconds();
        }

        // Silence is the time that passed, whatever woke the wait: a stream of strangers
        // or stale acknowledgements can neither hurry the retransmissions nor hold them off.
        const std::uint32_t now_ms = platform::milliseconds();
        const auto polls = static_cast<int>(now_ms - counted_until_ms);
        counted_until_ms = now_ms;
        // Giving up, once due, is left to the turn that follows, which reads what is waiting.
        if (count_silence(silence, polls, now_ms, session.transfer_silence_floor_ms) == SilenceVerdict::resend) {
            retransmit(session, transfer, image, peer);
            ui::note(session, transfer_fact(transfer, false));
        }
    }
}

Completion serve_read_request(session::Session& session, platform::SocketHandle socket, std::uint32_t local_address,
                              std::uint16_t local_port, const platform::Endpoint& peer, std::string_view file_name)
{
    const std::unique_ptr<TransferSession> transfer(new (std::nothrow) TransferSession);
    if (!transfer) ui::fail(session, session::Failure::cannot_allocate_session);
    transfer->socket = socket;
    transfer->local_address = local_address;
    transfer->local_port = local_port;
    transfer->peer = peer;
    transfer->requested_file_name.assign(file_name);

    const fw::FirmwareImage& image =
        fw::image_to_serve(session.stage_flag.load(), session.target_image, session.transition_image);
    start_transfer_session(*transfer, image);
    transfer->transition_image = &image == &session.transition_image;
    // Before the phase: a run cut short at any moment of the transfer has how far it
    // got to tell, if only that nothing is acknowledged yet.
    ui::note(session, transfer_fact(*transfer, false));
    ui::note(session, record::PhaseFact{record::Phase::transferring});
    ui::ProgressScreen uploading(session, ui::uploading_view(static_cast<int>(transfer->block_count)));
    platform::set_non_blocking(socket);
    const Outcome outcome = transfer_image(session, *transfer, image, uploading);
    return complete_upgrade(session, outcome, uploading, local_address, peer.address);
}

}  // namespace voq::tftp
