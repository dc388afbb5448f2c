// The transfer session against the simulated device's TFTP client on loopback.

#include "tftp/transfer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <span>
#include <thread>

#include "firmware/placeholder.h"
#include "platform/clock.h"
#include "record/facts.h"
#include "sim/tftp_client.h"
#include "support/loopback.h"
#include "support/recording_screens.h"
#include "tftp/listener.h"
#include "ui/texts.h"
#include "ui/views.h"

namespace voq::tftp {
namespace {

struct Served {
    Outcome outcome = Outcome::given_up;
    sim::Fetch fetch;
    std::vector<int> positions;
    std::vector<std::string> captions;
    std::uint32_t block_count = 0;
    std::vector<record::Fact> facts;
};

platform::Socket server_socket(std::uint32_t address, std::uint16_t& port)
{
    platform::Socket socket(platform::open_datagram_socket());
    EXPECT_EQ(platform::bind_socket(socket.handle(), platform::fill_socket_address(address, 0)),
              platform::BindResult::bound);
    platform::SocketAddress local;
    EXPECT_TRUE(platform::local_address_of(socket.handle(), local));
    port = platform::read_socket_address(local).port;
    return socket;
}

platform::Endpoint read_request_source(const platform::Socket& server)
{
    EXPECT_EQ(platform::wait_readable(server.handle(), 5000), platform::Readiness::readable);
    std::uint8_t request[packet_buffer_size];
    platform::SocketAddress source;
    EXPECT_GT(platform::receive_datagram(server.handle(), request, sizeof request, source), 0);
    return platform::read_socket_address(source);
}

// One transfer of image to the device's client, with the client's faults.
Served serve(const test::LoopbackPair& addresses, const std::vector<std::uint8_t>& bytes, sim::TftpFaults faults = {},
             std::uint32_t silence_floor_ms = 1000, bool shows_caption = true)
{
    std::uint16_t port = 0;
    platform::Socket server = server_socket(addresses.pc, port);

    sim::TftpConfig config;
    config.request_delay_ms = 0;
    config.faults = faults;
    std::atomic<bool> stop{false};
    Served served;
    std::thread client([&] {
        served.fetch = sim::fetch_firmware(addresses.device, {addresses.pc, port, "/voq1.bi1"}, config, stop,
                                           [](std::string_view) {});
    });

    test::RecordingScreens screens;
    screens.shows_caption = shows_caption;
    auto session = std::make_unique<session::Session>(1);
    session->screens = &screens;
    session->device_address_text.assign(test::dotted(addresses.device));
    session->transfer_silence_floor_ms = silence_floor_ms;
    const fw::FirmwareImage image = fw::read_image(bytes);
    TransferSession transfer;
    transfer.socket = server.handle();
    transfer.local_address = addresses.pc;
    transfer.local_port = port;
    transfer.peer = read_request_source(server);
    start_transfer_session(transfer, image);
    served.block_count = transfer.block_count;
    {
        ui::ProgressScreen uploading(*session, ui::uploading_view(static_cast<int>(transfer.block_count)));
        platform::set_non_blocking(server.handle());
        served.outcome = transfer_image(*session, transfer, image, uploading);
    }
    stop = true;
    client.join();
    served.positions = screens.positions;
    served.captions = screens.captions;
    served.facts = screens.facts();
    return served;
}

std::vector<std::uint8_t> image_of(std::uint32_t size)
{
    if (size < fw::header_size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::uint32_t k = 0; k < size; ++k) bytes[k] = static_cast<std::uint8_t>(k * 7 + 1);
        return bytes;
    }
    return fw::make_placeholder_image(size, "VoQ3300 FiRmWaRe", "2.0.13(g)");
}

TEST(TransferImage, EverySizeArrivesByteForByteEndingWithAShortBlock)
{
    const struct {
        std::uint32_t size;
        std::uint32_t block_count;
    } cases[] = {{0, 1}, {100, 1}, {512, 2}, {1000, 2}, {1024, 3}, {734916, 1436}};
    for (const auto& c : cases) {
        SCOPED_TRACE("image of " + std::to_string(c.size) + " bytes");
        const std::vector<std::uint8_t> image = image_of(c.size);
        const test::LoopbackPair addresses = test::loopback_pair();
        const Served served = serve(addresses, image);
        EXPECT_EQ(served.outcome, Outcome::complete);
        EXPECT_TRUE(served.fetch.complete);
        EXPECT_EQ(served.fetch.bytes, image);
        EXPECT_EQ(served.block_count, c.block_count);
        EXPECT_EQ(served.fetch.option_acknowledgement, "|\x06tsize|" + std::to_string(c.size) + "|timeout|5|");
        ASSERT_FALSE(served.positions.empty());
        EXPECT_EQ(served.positions.back(), static_cast<int>(c.block_count + 1));
        // The first title answers the option acknowledgement, the last the last block.
        const std::string device = test::dotted(addresses.device);
        EXPECT_EQ(served.captions.front(), ui::uploading_caption(ui::text::target_role, device, 0, c.size));
        EXPECT_EQ(served.captions.back(),
                  ui::uploading_caption(ui::text::target_role, device, static_cast<int>(c.size), c.size));
        EXPECT_EQ(served.captions.size(), c.block_count + 1);
    }
}

TEST(TransferImage, AFrontEndThatShowsNoCaptionIsGivenNoneAndTheSameTransfer)
{
    const std::vector<std::uint8_t> image = image_of(1000);
    const Served served = serve(test::loopback_pair(), image, {}, 1000, false);
    EXPECT_EQ(served.fetch.bytes, image);
    EXPECT_TRUE(served.captions.empty());
}

// Block numbers are 16 bits: the largest image the tool carries ends at block 65535.
TEST(TransferImage, TheLargestImageEndsAtTheLastBlockNumber)
{
    const std::vector<std::uint8_t> image = image_of(65535u * 512 - 1);
    const Served served = serve(test::loopback_pair(), image);
    EXPECT_EQ(served.outcome, Outcome::complete);
    EXPECT_TRUE(served.fetch.complete);
    EXPECT_TRUE(served.fetch.bytes == image) << served.fetch.bytes.size() << " bytes arrived";
    EXPECT_EQ(served.block_count, 65535u);
}

TEST(TransferImage, DuplicateAndStrayAcknowledgementsChangeNothing)
{
    const std::vector<std::uint8_t> image = image_of(100000);
    sim::TftpFaults faults;
    faults.duplicate_acks = true;
    faults.stray_packets = true;
    const Served served = serve(test::loopback_pair(), image, faults);
    EXPECT_EQ(served.outcome, Outcome::complete);
    EXPECT_EQ(served.fetch.bytes, image);
    EXPECT_EQ(served.captions.size(), served.block_count + 1);  // each block acknowledged once
}

TEST(TransferImage, LostAcknowledgementsAreRepairedByRetransmission)
{
    const std::vector<std::uint8_t> image = image_of(60000);
    sim::TftpFaults faults;
    faults.ack_loss = 0.1;
    faults.seed = 7;
    const Served served = serve(test::loopback_pair(), image, faults);
    EXPECT_EQ(served.outcome, Outcome::complete);
    EXPECT_EQ(served.fetch.bytes, image);
    // Told as it went: every byte acknowledged in the end, and the repairs counted.
    ASSERT_FALSE(served.facts.empty());
    const auto* last = std::get_if<record::TransferFact>(&served.facts.back());
    ASSERT_TRUE(last);
    EXPECT_EQ(last->acknowledged, image.size());
    EXPECT_EQ(last->total, image.size());
    EXPECT_EQ(last->blocks_acknowledged, served.block_count);
    EXPECT_GT(last->retransmissions, 0u);
    EXPECT_FALSE(last->given_up);
}

TEST(TransferImage, AcknowledgementsFromAnotherPortAreSilenceUntilItGivesUp)
{
    sim::TftpFaults faults;
    faults.acks_from_other_port = true;
    const Served served = serve(test::loopback_pair(), image_of(1000), faults);
    EXPECT_EQ(served.outcome, Outcome::given_up);
    EXPECT_TRUE(served.captions.empty());  // not even the options were acknowledged
}

// Port 0 is a destination the system refuses a datagram to: each of the thirty
// sends fails, and the transfer tells the system's reason once, then gives up as for
// a device that keeps quiet.
TEST(TransferImage, ARefusedSendIsToldOnceWithTheSystemsReason)
{
    const test::LoopbackPair addresses = test::loopback_pair();
    std::uint16_t port = 0;
    platform::Socket server = server_socket(addresses.pc, port);
    test::RecordingScreens screens;
    auto session = std::make_unique<session::Session>(1);
    session->screens = &screens;
    session->transfer_silence_floor_ms = 0;
    const std::vector<std::uint8_t> bytes = image_of(1000);
    const fw::FirmwareImage image = fw::read_image(bytes);
    TransferSession transfer;
    transfer.socket = server.handle();
    transfer.peer = {addresses.device, 0};
    start_transfer_session(transfer, image);
    Outcome outcome = Outcome::complete;
    {
        ui::ProgressScreen uploading(*session, ui::uploading_view(2));
        platform::set_non_blocking(server.handle());
        outcome = transfer_image(*session, transfer, image, uploading);
    }
    EXPECT_EQ(outcome, Outcome::given_up);
    const std::vector<record::Fact> facts = screens.facts();
    std::vector<record::CallFailedFact> refusals;
    for (const record::Fact& fact : facts)
        if (const auto* refused = std::get_if<record::CallFailedFact>(&fact)) refusals.push_back(*refused);
    ASSERT_EQ(refusals.size(), 1u) << "one refusal, told once";
    EXPECT_EQ(refusals[0].call, record::Call::tftp_send);
    EXPECT_EQ(refusals[0].address, addresses.device);
    EXPECT_EQ(refusals[0].first_port, 0);
    EXPECT_NE(refusals[0].error, 0);
    EXPECT_EQ(refusals[0].reason, platform::socket_error_text(refusals[0].error));
    EXPECT_EQ(record::fact_text(refusals[0]),
              "TFTP send to " + test::dotted(addresses.device) + ":0 failed: " + refusals[0].reason);
    const auto* last = std::get_if<record::TransferFact>(&facts.back());
    ASSERT_TRUE(last);
    EXPECT_TRUE(last->given_up);
    EXPECT_EQ(last->retransmissions, static_cast<std::uint32_t>(silent_periods_to_give_up - 1));
}

// A transfer of 1,000 bytes (two blocks) to the read request waiting on server.
Outcome serve_a_small_image(const platform::Socket& server, std::uint32_t silence_floor_ms,
                            std::function<void()> on_pump = {}, unsigned turn_ms = 1)
{
    test::RecordingScreens screens;
    screens.on_pump = std::move(on_pump);
    screens.turn_ms = turn_ms;
    auto session = std::make_unique<session::Session>(1);
    session->screens = &screens;
    session->transfer_silence_floor_ms = silence_floor_ms;
    const std::vector<std::uint8_t> bytes = image_of(1000);
    const fw::FirmwareImage image = fw::read_image(bytes);
    TransferSession transfer;
    transfer.socket = server.handle();
    transfer.peer = read_request_source(server);
    start_transfer_session(transfer, image);
    ui::ProgressScreen uploading(*session, ui::uploading_view(2));
    platform::set_non_blocking(server.handle());
    return transfer_image(*session, transfer, image, uploading);
}

// A device that has read the request and then keeps quiet, seen from its own socket:
// it counts the option acknowledgements that reach it while a stranger, if asked to,
// keeps sending the server datagrams from another port.
struct QuietDevice {
    int option_acknowledgements = 0;
    std::uint32_t first_to_last_ms = 0;               // from the first option acknowledgement to the last
    int option_acknowledgements_among_strangers = 0;  // while the stranger was sending
    std::uint32_t strangers_ms = 0;                   // how long that was
    Outcome outcome = Outcome::complete;
    std::uint32_t transfer_ms = 0;
    bool noise_ran_out = false;  // the stranger's time was up before the transfer ended
};

// The stranger sends from another port; a stale device sends from its own socket an
// acknowledgement of a block not yet sent, a stale one to the transfer; a refusing
// device sends an error from its own socket.
enum class Noise { stranger, stale_device, refusing_device };

QuietDevice serve_a_quiet_device(const test::LoopbackPair& addresses, std::uint32_t silence_floor_ms,
                                 std::uint32_t stranger_for_ms, Noise noise = Noise::stranger)
{
    std::uint16_t port = 0;
    platform::Socket server = server_socket(addresses.pc, port);
    platform::Socket device(platform::open_datagram_socket());
    platform::Socket stranger(platform::open_datagram_socket());
    EXPECT_EQ(platform::bind_socket(device.handle(), platform::fill_socket_address(addresses.device, 0)),
              platform::BindResult::bound);
    const auto server_address = platform::fill_socket_address(addresses.pc, port);
    const auto request = sim::read_request_packet("/voq1.bi1");
    platform::send_datagram(device.handle(), request.data(), request.size(), server_address);

    QuietDevice seen;
    std::atomic<bool> done{false};
    std::atomic<bool> transfer_over{false};
    std::atomic<bool> strangers{stranger_for_ms > 0};
    std::thread counter([&] {
        std::uint8_t packet[packet_buffer_size];
        std::uint32_t first_ms = 0;
        while (!done) {
            if (platform::wait_readable(device.handle(), 20) != platform::Readiness::readable) continue;
            platform::SocketAddress source;
            const long received = platform::receive_datagram(device.handle(), packet, sizeof packet, source);
            if (received < 2 || get_u16(packet) != option_acknowledgement) continue;
            if (seen.option_acknowledgements == 0) first_ms = platform::milliseconds();
            seen.first_to_last_ms = platform::milliseconds() - first_ms;
            ++seen.option_acknowledgements;
            if (strangers) ++seen.option_acknowledgements_among_strangers;
        }
    });
    std::thread strange([&] {
        static constexpr std::uint8_t stray[] = {0, acknowledgement, 0, 0};
        static constexpr std::uint8_t stale[] = {0, acknowledgement, 0, 7};
        static constexpr std::uint8_t refusal[] = {0, error, 0, 8, 'n', 'o', 0};
        const platform::SocketHandle from = noise == Noise::stranger ? stranger.handle() : device.handle();
        using Bytes = std::span<const std::uint8_t>;
        const Bytes packet = noise == Noise::stranger       ? Bytes(stray)
                             : noise == Noise::stale_device ? Bytes(stale)
                                                            : Bytes(refusal);
        const std::uint32_t started = platform::milliseconds();
        while (platform::milliseconds() - started < stranger_for_ms && !transfer_over)
            platform::send_datagram(from, packet.data(), packet.size(), server_address);
        seen.noise_ran_out = !transfer_over;
        seen.strangers_ms = platform::milliseconds() - started;
        strangers = false;
    });

    const std::uint32_t started = platform::milliseconds();
    seen.outcome = serve_a_small_image(server, silence_floor_ms);
    seen.transfer_ms = platform::milliseconds() - started;
    transfer_over = true;
    strange.join();
    platform::sleep_milliseconds(100);
    done = true;
    counter.join();
    return seen;
}

TEST(SilenceLeft, IsTheRestOfThePeriodThenOfTheFloor)
{
    // idle polls, silent periods, now, ms left; the floor is 30 s from 0.
    const std::uint32_t cases[][4] = {{0, 0, 5, 100}, {99, 29, 5, 1}, {0, 30, 29999, 1}, {0, 30, 40000, 0}};
    for (const auto& c : cases) {
        const Silence silence{static_cast<int>(c[0]), static_cast<int>(c[1]), 0};
        EXPECT_EQ(silence_left_ms(silence, c[2], 30000), c[3]) << c[0] << " " << c[1] << " " << c[2];
    }
}

// The waiting screen's bar moves by the clock and is set at most once a turn, however
// long the device takes to ask.
TEST(WaitForReadRequest, SetsTheBarOnceATurnAtMost)
{
    constexpr unsigned turn_ms = 50;
    const test::LoopbackPair addresses = test::loopback_pair();
    std::uint16_t port = 0;
    platform::Socket server = server_socket(addresses.pc, port);
    test::RecordingScreens screens;
    screens.turn_ms = turn_ms;
    auto session = std::make_unique<session::Session>(1);
    session->screens = &screens;
    session->expected_file_name.assign("/voq1.bi1");
    std::thread device([&] {
        platform::sleep_milliseconds(400);
        platform::Socket socket(platform::open_datagram_socket());
        const auto request = sim::read_request_packet("/voq1.bi1");
        platform::send_datagram(socket.handle(), request.data(), request.size(),
                                platform::fill_socket_address(addresses.pc, port));
    });
    const std::uint32_t started = platform::milliseconds();
    std::array<std::uint8_t, packet_buffer_size> buffer{};
    EXPECT_EQ(wait_for_read_request(*session, server.handle(), buffer, true).file_name, "/voq1.bi1");
    const std::uint32_t waited_ms = platform::milliseconds() - started;
    device.join();
    // The first position, then one a wait at most: each lasts a turn but the last.
    EXPECT_LE(screens.positions.size(), 2 + waited_ms / turn_ms) << "in " << waited_ms << " ms";
}

TEST(TransferImage, AnUnansweredOptionAcknowledgementIsSentThirtyTimesAndGivenUpNoSoonerThanTheFloor)
{
    const QuietDevice seen = serve_a_quiet_device(test::loopback_pair(), 4000, 0);
    EXPECT_EQ(seen.outcome, Outcome::given_up);
    EXPECT_EQ(seen.option_acknowledgements, silent_periods_to_give_up);
    EXPECT_GE(seen.transfer_ms, 4000u);
}

TEST(TransferImage, AStreamOfStrangersDoesNotHurryTheRetransmissions)
{
    // Each datagram ignored stands for a millisecond of silence, however fast they
    // come: in t ms no more than t / 100 retransmissions.
    const QuietDevice seen = serve_a_quiet_device(test::loopback_pair(), 0, 400);
    EXPECT_EQ(seen.outcome, Outcome::given_up);
    EXPECT_EQ(seen.option_acknowledgements, silent_periods_to_give_up);
    EXPECT_LE(seen.option_acknowledgements_among_strangers,
              1 + static_cast<int>(seen.strangers_ms / idle_polls_per_period) + 1)
        << "in " << seen.strangers_ms << " ms of strangers";
}

TEST(TransferImage, AStaleAcknowledgementRepeatedWithoutPauseIsSilence)
{
    // The device repeats a stale acknowledgement as fast as it can, for far longer than
    // thirty silent periods: the option acknowledgement is still sent its thirty times,
    // and the transfer gives up while the stream goes on, no later than it gives up a
    // device that keeps quiet (measured here too, as the machine's pace sets both).
    constexpr std::uint32_t stream_ms = 60000;
    const QuietDevice quiet = serve_a_quiet_device(test::loopback_pair(), 0, 0);
    const QuietDevice seen = serve_a_quiet_device(test::loopback_pair(), 0, stream_ms, Noise::stale_device);
    EXPECT_EQ(seen.outcome, Outcome::given_up);
    EXPECT_EQ(seen.option_acknowledgements, silent_periods_to_give_up);
    EXPECT_EQ(seen.option_acknowledgements_among_strangers, silent_periods_to_give_up);
    EXPECT_LT(seen.transfer_ms, 2 * quiet.transfer_ms)
        << "the stream held the transfer off; a quiet device was given up in " << quiet.transfer_ms << " ms";
    // Nor does the stream hurry them: each of the 29 periods between the first send and
    // the last is 100 polls of at least a millisecond (less 50 ms for this side's own
    // delay in reading the first).
    EXPECT_GE(seen.first_to_last_ms, 29u * 100 - 50) << "the stream hurried the retransmissions";
    EXPECT_GE(seen.transfer_ms, 30u * 100);
}

// Datagrams that are not the acknowledgement awaited, sent without pause for longer
// than the transfer listens: it gives up while they still come.
TEST(TransferImage, AStreamOfOtherDatagramsDoesNotHoldTheGivingUpOff)
{
    for (const Noise noise : {Noise::stranger, Noise::refusing_device}) {
        SCOPED_TRACE(noise == Noise::stranger ? "acknowledgements from another port" : "errors from the device's port");
        const QuietDevice seen = serve_a_quiet_device(test::loopback_pair(), 0, 40000, noise);
        EXPECT_EQ(seen.outcome, Outcome::given_up);
        EXPECT_EQ(seen.option_acknowledgements, silent_periods_to_give_up);
        EXPECT_FALSE(seen.noise_ran_out) << "given up only once the stream had stopped";
    }
}

TEST(CountSilence, ResendsEveryPeriodAndGivesUpOnlyPastTheFloor)
{
    const struct {
        const char* name;
        int polls;             // counted one call at a time
        std::uint32_t now_ms;  // since the last progress
        std::uint32_t floor_ms;
        int resends;
        bool given_up;
    } cases[] = {
        {"one poll short of a period", 99, 99, 0, 0, false},
        {"a period", 100, 100, 0, 1, false},
        {"29 periods", 2900, 2900, 0, 29, false},
        {"30 periods, no floor", 3000, 3000, 0, 29, true},
        {"30 periods, the floor not yet passed", 3000, 3000, 30000, 29, false},
        {"far past 30 periods, the floor not yet passed", 20000, 29999, 30000, 29, false},
        {"the floor passed", 3001, 30000, 30000, 29, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Silence silence;
        int resends = 0;
        bool given_up = false;
        for (int poll = 0; poll < c.polls && !given_up; ++poll) {
            const SilenceVerdict verdict = count_silence(silence, 1, c.now_ms, c.floor_ms);
            resends += verdict == SilenceVerdict::resend;
            given_up = verdict == SilenceVerdict::give_up;
        }
        EXPECT_EQ(resends, c.resends);
        EXPECT_EQ(given_up, c.given_up);
    }
}

TEST(CountSilence, GivingUpIsDueByTheClockOnceTheSendsAreSpent)
{
    const struct {
        const char* name;
        int silent_periods;  // before
        int idle_polls;      // before
        int polls;
        std::uint32_t now_ms;  // since the last progress
        SilenceVerdict verdict;
    } cases[] = {
        {"a stall charged at once, the sends spent", 30, 0, 30000, 30000, SilenceVerdict::give_up},
        {"the same stall ending the 30th period", 29, 50, 30000, 30000, SilenceVerdict::give_up},
        {"a stall charged at once may resend", 3, 0, 30000, 30000, SilenceVerdict::resend},
        {"past the floor, no poll", 30, 0, 0, 30000, SilenceVerdict::give_up},
        {"before the floor", 30, 0, 0, 29999, SilenceVerdict::keep_waiting},
        {"a send still left", 29, 99, 0, 30000, SilenceVerdict::keep_waiting},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Silence silence{.idle_polls = c.idle_polls, .silent_periods = c.silent_periods, .last_progress_ms = 0};
        EXPECT_EQ(count_silence(silence, c.polls, c.now_ms, 30000), c.verdict);
    }
}

TEST(CountSilence, PollsCountedTogetherReachThePeriodAsOneByOne)
{
    Silence together;
    EXPECT_EQ(count_silence(together, 99, 99, 0), SilenceVerdict::keep_waiting);
    EXPECT_EQ(count_silence(together, 5, 104, 0), SilenceVerdict::resend);
    EXPECT_EQ(together.silent_periods, 1);
    EXPECT_EQ(together.idle_polls, 0) << "polls past a resend start the next period anew";
}

TEST(TransferImage, ADevicePausingPastItsThirtySendsIsServedToTheEnd)
{
    const std::vector<std::uint8_t> image = image_of(60000);
    sim::TftpFaults faults;
    faults.pause_at_block = 5;
    faults.pause_ms = 4500;
    const Served served = serve(test::loopback_pair(), image, faults, 30000);
    EXPECT_EQ(served.outcome, Outcome::complete);
    EXPECT_TRUE(served.fetch.complete);
    EXPECT_EQ(served.fetch.bytes, image);
    EXPECT_LE(served.fetch.most_copies_of_a_packet, 30u);
}

// The device's side of a lock-step exchange, by hand: every answer must come from
// the address and port the read request went to.
struct HandDevice {
    platform::Socket socket{platform::open_datagram_socket()};
    platform::SocketAddress server{};

    // The next datagram within timeout_ms, checked for its source; empty for none.
    std::vector<std::uint8_t> next(unsigned timeout_ms)
    {
        if (platform::wait_readable(socket.handle(), timeout_ms) != platform::Readiness::readable) return {};
        std::vector<std::uint8_t> packet(packet_buffer_size);
        platform::SocketAddress source;
        const long received = platform::receive_datagram(socket.handle(), packet.data(), packet.size(), source);
        EXPECT_EQ(platform::read_socket_address(source), platform::read_socket_address(server))
            << "answered from elsewhere";
        packet.resize(received > 0 ? static_cast<std::size_t>(received) : 0);
        return packet;
    }
    void acknowledge(std::uint16_t block)
    {
        std::uint8_t ack[4];
        put_u16(ack, acknowledgement);
        put_u16(ack + 2, block);
        platform::send_datagram(socket.handle(), ack, sizeof ack, server);
    }
};

// The tool's server and a device played by hand, on a pair of their own, once the
// device has sent its read request; asked is false when the device could not.
struct HandTransfer {
    test::LoopbackPair addresses = test::loopback_pair();
    std::uint16_t port = 0;
    platform::Socket server = server_socket(addresses.pc, port);
    HandDevice device;
    bool asked = false;

    HandTransfer()
    {
        if (platform::bind_socket(device.socket.handle(), platform::fill_socket_address(addresses.device, 0)) !=
            platform::BindResult::bound)
            return;
        device.server = platform::fill_socket_address(addresses.pc, port);
        const auto request = sim::read_request_packet("/voq1.bi1");
        asked = platform::send_datagram(device.socket.handle(), request.data(), request.size(), device.server) > 0;
    }
};

TEST(TransferImage, AStaleAcknowledgementMakesTheToolSendNothing)
{
    HandTransfer hand;
    ASSERT_TRUE(hand.asked);
    platform::Socket& server = hand.server;
    HandDevice& device = hand.device;

    Outcome outcome = Outcome::given_up;
    std::thread tool([&] { outcome = serve_a_small_image(server, 30000); });

    EXPECT_EQ(device.next(2000).at(1), option_acknowledgement);
    device.acknowledge(0);
    const auto first = device.next(2000);
    ASSERT_EQ(first.size(), 4u + 512);
    EXPECT_EQ(get_u16(first.data() + 2), 1);
    // Shorter than a silent period, which cannot pass in less than 100 ms.
    device.acknowledge(0);
    EXPECT_TRUE(device.next(60).empty()) << "something was sent for a stale acknowledgement";
    device.acknowledge(1);
    const auto last = device.next(2000);
    ASSERT_EQ(last.size(), 4u + 488);
    EXPECT_EQ(get_u16(last.data() + 2), 2);
    device.acknowledge(2);
    tool.join();
    EXPECT_EQ(outcome, Outcome::complete);
}

// The wait is one, to a datagram, the next resend or the screen's turn: a screen that
// turns at a human pace is pumped at that pace while the device keeps quiet, and the
// packets go out as before.
TEST(TransferImage, AScreenIsPumpedAtItsOwnPaceWhileTheDeviceKeepsQuiet)
{
    constexpr unsigned turn_ms = 50;
    HandTransfer hand;
    ASSERT_TRUE(hand.asked);
    int pumps = 0;
    const std::uint32_t started = platform::milliseconds();
    std::thread tool([&] {
        EXPECT_EQ(serve_a_small_image(
                      hand.server, 0, [&] { ++pumps; }, turn_ms),
                  Outcome::given_up);
    });
    int sends = 0;
    for (auto packet = hand.device.next(2000); !packet.empty(); packet = hand.device.next(2000))
        sends += get_u16(packet.data()) == option_acknowledgement;
    tool.join();
    EXPECT_EQ(sends, silent_periods_to_give_up);
    EXPECT_GT(pumps, 0);
    EXPECT_LE(pumps, static_cast<int>((platform::milliseconds() - started) / turn_ms));
}

// The tool's thread held inside the screen's turn (a window dragged, a laptop
// suspended, a debugger) while the device, which has let 29 silent periods pass, sends
// a stale acknowledgement and then the one awaited: released past the floor, the tool
// reads the one awaited and carries on.
TEST(TransferImage, AnAcknowledgementQueuedBehindAStallIsReadBeforeGivingUp)
{
    constexpr std::uint32_t floor_ms = 8000;
    HandTransfer hand;
    const std::uint32_t started = platform::milliseconds();
    ASSERT_TRUE(hand.asked);
    platform::Socket& server = hand.server;
    HandDevice& device = hand.device;

    std::atomic<bool> hold{false};
    std::atomic<bool> held{false};
    Outcome outcome = Outcome::given_up;
    std::thread tool([&] {
        outcome = serve_a_small_image(server, floor_ms, [&] {
            while (hold) {
                held = true;
                platform::sleep_milliseconds(5);
            }
        });
    });

    int sends = 0;
    while (sends < silent_periods_to_give_up) {
        const auto packet = device.next(2000);
        if (packet.empty()) break;
        sends += get_u16(packet.data()) == option_acknowledgement;
    }
    EXPECT_EQ(sends, silent_periods_to_give_up);
    hold = true;
    for (int wait = 0; wait < 400 && !held; ++wait) platform::sleep_milliseconds(5);
    EXPECT_TRUE(held) << "the tool never took the screen's turn";
    device.acknowledge(5);
    device.acknowledge(0);
    while (platform::milliseconds() - started < floor_ms + 500) platform::sleep_milliseconds(10);
    hold = false;

    const auto first = device.next(2000);
    EXPECT_EQ(first.size(), 4u + 512) << "the transfer ended without reading the acknowledgement waiting";
    device.acknowledge(1);
    EXPECT_EQ(device.next(2000).size(), 4u + 488);
    device.acknowledge(2);
    tool.join();
    EXPECT_EQ(outcome, Outcome::complete);
}

}  // namespace
}  // namespace voq::tftp
