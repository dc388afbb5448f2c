#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "firmware/image.h"
#include "platform/socket.h"
#include "platform/socket_address.h"
#include "session/fixed_text.h"
#include "session/session.h"
#include "tftp/packet.h"
#include "ui/progress_screen.h"

namespace voq::tftp {

// Retransmission and giving up are counted in idle polls of a millisecond each, read
// off the clock however long each wait for the socket lasts.
inline constexpr int idle_polls_per_period = 100;
inline constexpr int silent_periods_to_give_up = 30;

enum class Outcome { complete, given_up };

// How long the device has been silent since it last made progress: idle polls of the
// current period, the periods spent, and the clock for the floor after the last send.
struct Silence {
    int idle_polls = 0;
    int silent_periods = 0;
    std::uint32_t last_progress_ms = 0;
};

enum class SilenceVerdict { keep_waiting, resend, give_up };

// Counts polls more idle polls of silence at now_ms. A packet is sent thirty times
// at most: once, then after each of 29 silent periods; its sends spent, the transfer
// still listens until floor_ms have passed since the device last made progress, by
// the clock. give_up says the giving up is due; the transfer still reads what is
// waiting by then, as the acknowledgement awaited may be queued behind a stall of
// its own thread.
SilenceVerdict count_silence(Silence& silence, int polls, std::uint32_t now_ms, std::uint32_t floor_ms);

// How long the silence may last from now_ms before count_silence has something due: the
// rest of the period, or once the sends are spent the rest of the floor; 0 when due.
std::uint32_t silence_left_ms(const Silence& silence, std::uint32_t now_ms, std::uint32_t floor_ms);

// One transfer: the image in 512-byte blocks, one in flight, each released by the
// acknowledgement of the one before; all of it from the listener's socket and port.
struct TransferSession {
    FixedText<128> requested_file_name;
    std::array<std::uint8_t, packet_buffer_size> packet{};  // what arrives, and each packet sent
    std::uint32_t local_address = 0;
    platform::Endpoint peer{};
    std::uint16_t local_port = 0;
    platform::SocketHandle socket = platform::invalid_socket;
    std::uint32_t next_block = 0;  // whose acknowledgement is awaited; 0 for the options
    std::uint32_t image_size = 0;
    std::uint32_t block_count = 0;  // image size / 512 + 1: the last block is short, maybe empty
    std::int32_t bytes_acknowledged = 0;
    std::int32_t last_block_length = 0;
    std::int32_t current_block_length = 0;
    std::uint32_t retransmissions = 0;
    int send_error = 0;  // the refusal of a send last told; 0 once a send goes out
    bool transition_image = false;
    bool note_packets = false;  // a front-end wants each packet as a fact
    bool shows_caption = true;  // a front-end shows the bytes acknowledged in the caption
};

// What a received datagram is to a running transfer.
enum class Arrival {
    silence,       // from elsewhere, or anything but an acknowledgement: an idle poll
    stale,         // an acknowledgement of another block: consumed at once
    acknowledged,  // the acknowledgement awaited
};

Arrival judge_datagram(const TransferSession& transfer, std::span<const std::uint8_t> datagram,
                       const platform::Endpoint& source);

// Fills a session for image and the accepted request.
void start_transfer_session(TransferSession& transfer, const fw::FirmwareImage& image);

// Runs the transfer to its end on a non-blocking socket, keeping the uploading
// screen's bar at the next block and its title at the bytes acknowledged.
Outcome transfer_image(session::Session& session, TransferSession& transfer, const fw::FirmwareImage& image,
                       ui::ProgressScreen& uploading);

enum class Completion { verified, failed };

// Serves one accepted read request: the image the stage flag chooses, then the
// device's restart and the check of what it reports.
Completion serve_read_request(session::Session& session, platform::SocketHandle socket, std::uint32_t local_address,
                              std::uint16_t local_port, const platform::Endpoint& peer, std::string_view file_name);

}  // namespace voq::tftp
