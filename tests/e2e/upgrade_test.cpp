// Whole upgrades, from the warning screen to the success screen or the failure
// message, through the scripted harness against the simulated device.

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "harness.h"
#include "platform/socket.h"
#include "platform/socket_address.h"
#include "session/session.h"
#include "sim/device.h"
#include "support/files.h"
#include "support/loopback.h"
#include "tftp/completion.h"
#include "ui/texts.h"
#include "ui/views.h"

namespace voq::test {
namespace {

const std::string failure = "message \"VOQ Firwmare Upgrade Error\" \"Upgrade Failed: ";

class Upgrade : public ::testing::Test {
protected:
    // A device that asks soon, restarts quickly, and reports what it was given.
    static sim::DeviceConfig quick_device()
    {
        sim::DeviceConfig config;
        config.tftp.request_delay_ms = 50;
        config.tftp.restart_ms = 200;
        return config;
    }

    void start_device(sim::DeviceConfig config = quick_device())
    {
        addresses = loopback_pair();
        config.web.address = addresses.device;
        config.web.log = device_log();
        device = std::make_unique<sim::SimulatedDevice>(config);
        std::string problem;
        ASSERT_TRUE(device->start(problem)) << problem;
    }

    // Continue, the device's address, Upgrade, OK; a restart wait of 1.3 s.
    std::string script(const std::string& more = "") const
    {
        return "local-addresses " + dotted(addresses.pc) + "\nrestart-wait-units 40\nwarning continue\naddress type " +
               dotted(addresses.device) + "\nconfirm upgrade\nsuccess ok\n" + more;
    }

    HarnessRun run(const std::string& text, const char* program = VOQ_HARNESS)
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        HarnessRun result = run_harness(program, text, test->name(), 90000);
        EXPECT_FALSE(result.hung) << result.text();
        EXPECT_EQ(result.status, 0);
        return result;
    }

    std::string device_name() const { return "VOQ@" + dotted(addresses.device); }
    std::string success_screen() const { return shown("open 111", ui::success_caption(dotted(addresses.device))); }
    std::string uploaded(std::string_view role, std::size_t size) const
    {
        return shown("caption 110", ui::uploading_caption(role, dotted(addresses.device), static_cast<int>(size),
                                                          static_cast<std::uint32_t>(size)));
    }
    std::string updating(std::string_view role) const
    {
        return shown("caption 110", ui::updating_caption(role, dotted(addresses.device)));
    }

    LoopbackPair addresses{};
    std::unique_ptr<sim::SimulatedDevice> device;
    const std::vector<std::uint8_t> target = read_file_bytes(VOQ_TARGET_IMAGE_FILE);
    const std::vector<std::uint8_t> transition = read_file_bytes(VOQ_TRANSITION_IMAGE_FILE);
};

TEST_F(Upgrade, DirectUpgradeDeliversTheTargetImageByteForByte)
{
    start_device();
    const HarnessRun result = run(script());
    EXPECT_TRUE(result.in_order({
        "open 103 \"Confirm Upgrade to Ver. 2.0.13(g)\"",
        "close 103 1",
        "open 114 \"Waiting For Firmware Download Request From VOQ\"",
        "range 114 1010 0 1000",
        "open 110 \"Uploading Firmware To VOQ\"",
        "static 110 \"Please do not unplug the power of your VOQ until the Status Light stops blinking\"",
        "range 110 1010 0 1436",
        shown("caption 110", ui::uploading_caption(ui::text::target_role, dotted(addresses.device), 0, 734916)),
        uploaded(ui::text::target_role, 734916),
        updating(ui::text::target_role),
        "range 110 1010 0 40",
        "close 110 position 40",
        shown("open 105", ui::connecting_caption(dotted(addresses.device))),
        success_screen(),
        "field 111 1004 \"2.0.13(g)\"",
        "close 111 1",
        "end-process",
    })) << result.text();
    EXPECT_EQ(result.count_prefix("message"), 0u) << result.text();

    const auto requests = device->web().upgrade_requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].address, addresses.pc);
    EXPECT_EQ(requests[0].port, 69);
    EXPECT_TRUE(std::regex_match(requests[0].file_name, std::regex("/voq[0-9a-f]{1,4}\\.bi1")))
        << requests[0].file_name;
    const auto fetches = device->fetches();
    ASSERT_EQ(fetches.size(), 1u);
    EXPECT_EQ(fetches[0].file_name, requests[0].file_name);
    EXPECT_TRUE(fetches[0].complete);
    EXPECT_TRUE(fetches[0].bytes == target) << "the image arrived changed";
    // The devices' client takes answers only from where it sent its request.
    EXPECT_EQ(fetches[0].foreign_packets, 0u);
    EXPECT_EQ(fetches[0].most_copies_of_a_packet, 1u);
}

TEST_F(Upgrade, PasswordIsAskedOnceAndTheNewNonceAfterTheRestartIsAnsweredAlone)
{
    sim::DeviceConfig config = quick_device();
    config.web.digest.enabled = true;
    config.web.digest.password = "secret";
    config.web.digest.qop = "auth";
    start_device(config);
    const HarnessRun result = run(script("password enter admin secret\n"));
    EXPECT_EQ(result.count("open 104 \"Enter Password Information\""), 1u);
    EXPECT_TRUE(result.in_order({uploaded(ui::text::target_role, 734916), success_screen(), "end-process"}))
        << result.text();

    const auto requests = device->web().requests();
    ASSERT_GE(requests.size(), 5u);
    // After the restart: rejected under the old nonce, then signed under the new one.
    EXPECT_EQ(requests[requests.size() - 2].verdict, sim::Verdict::stale_nonce);
    EXPECT_EQ(requests.back().verdict, sim::Verdict::authorized);
    EXPECT_TRUE(device->fetches().at(0).bytes == target);
}

TEST_F(Upgrade, StagedBuildServesTheTransitionImageThenTheTarget)
{
    sim::DeviceConfig config = quick_device();
    config.web.identity.software_version = "2.0.11";
    start_device(config);
    const HarnessRun result = run(script(), VOQ_HARNESS_STAGED);
    EXPECT_TRUE(result.in_order({
        "open 304 \"Confirm Upgrade to Ver. 2.0.13(g)\"",
        "open 114 \"Waiting For Firmware Download Request From VOQ\"",
        uploaded(ui::text::transition_role, 730800),
        updating(ui::text::transition_role),
        "open 114 \"Waiting For Firmware Download Request From VOQ\"",
        "field 114 1022 \"\"",
        uploaded(ui::text::target_role, 734916),
        success_screen(),
        "field 111 1004 \"2.0.13(g)\"",
        "end-process",
    })) << result.text();
    EXPECT_EQ(result.count_prefix("open 111"), 1u);

    const auto requests = device->web().upgrade_requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].port, requests[1].port);
    EXPECT_TRUE(std::regex_match(requests[0].file_name, std::regex("/voq[0-9a-f]{1,4}\\.bi0")));
    EXPECT_TRUE(std::regex_match(requests[1].file_name, std::regex("/voq[0-9a-f]{1,4}\\.bi1")));
    const auto fetches = device->fetches();
    ASSERT_EQ(fetches.size(), 2u);
    EXPECT_TRUE(fetches[0].bytes == transition);
    EXPECT_TRUE(fetches[1].bytes == target);
}

TEST_F(Upgrade, StagedBuildDecidingDirectServesTheTargetUnderTheFirstName)
{
    start_device();  // reports 2.0.12(SE), the transition image's own version
    const HarnessRun result = run(script(), VOQ_HARNESS_STAGED);
    EXPECT_TRUE(result.in_order({"open 103 \"Confirm Upgrade to Ver. 2.0.13(g)\"",
                                 uploaded(ui::text::target_role, 734916), success_screen(), "end-process"}))
        << result.text();
    const auto requests = device->web().upgrade_requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(std::regex_match(requests[0].file_name, std::regex("/voq[0-9a-f]{1,4}\\.bi0")));
    EXPECT_TRUE(device->fetches().at(0).bytes == target);
}

TEST_F(Upgrade, WithPort69TakenTheUpgradeRequestNamesThePortBound)
{
    start_device();
    platform::Socket taken(platform::open_datagram_socket());
    ASSERT_EQ(platform::bind_socket(taken.handle(), platform::fill_socket_address(addresses.pc, 69)),
              platform::BindResult::bound);
    const HarnessRun result = run(script());
    EXPECT_TRUE(result.has(success_screen())) << result.text();
    ASSERT_EQ(device->web().upgrade_requests().size(), 1u);
    EXPECT_EQ(device->web().upgrade_requests()[0].port, 70);
}

TEST_F(Upgrade, WrongNamesAndStrayPacketsAreIgnored)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.request_delay_ms = 400;
    config.tftp.faults.wrong_name_first = true;
    start_device(config);
    // While the listener waits, packets of every other kind arrive from elsewhere, and
    // none of them is answered.
    int answers_to_the_stranger = 0;
    std::thread stranger([this, &answers_to_the_stranger] {
        while (device->web().upgrade_requests().empty()) platform::sleep_milliseconds(5);
        const sim::UpgradeRequest request = device->web().upgrade_requests()[0];
        platform::Socket socket(platform::open_datagram_socket());
        platform::bind_socket(socket.handle(), platform::fill_socket_address(loopback_pair().device, 0));
        const auto to = platform::fill_socket_address(request.address, request.port);
        std::string capitals = request.file_name;
        for (char& c : capitals) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (const std::string& packet :
             {std::string("\0\1", 2) + capitals + std::string("\0octet\0", 7), std::string("\0\2/x\0octet\0", 11),
              std::string("\0\3\0\1data", 8), std::string("\0\4\0\1", 4), std::string("\0\5\0\1oops\0", 9),
              std::string("\0\x09", 2), std::string("\0", 1), std::string("\0\1/unterminated", 15),
              std::string("\0\1", 2) + request.file_name.substr(1) + std::string("\0", 1)}) {
            platform::send_datagram(socket.handle(), packet.data(), packet.size(), to);
        }
        while (platform::wait_readable(socket.handle(), 300) == platform::Readiness::readable) {
            std::uint8_t answer[1024];
            platform::SocketAddress from;
            platform::receive_datagram(socket.handle(), answer, sizeof answer, from);
            ++answers_to_the_stranger;
        }
    });
    const HarnessRun result = run(script());
    stranger.join();
    EXPECT_TRUE(result.has(success_screen())) << result.text();
    EXPECT_EQ(answers_to_the_stranger, 0);
    const std::string name = device->web().upgrade_requests().at(0).file_name;
    std::string capitals = name;
    for (char& c : capitals) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(result.has("trace \"+++ Bad TFTP RRQ filename " + capitals + "\\n\"")) << result.text();
    for (const std::string& trace :
         {"trace \"+++ Bad TFTP RRQ filename " + name + "x\\n\"", std::string("trace \"TFTP Rx WRQ?\\n\""),
          std::string("trace \"TFTP Rx Data?\\n\""), std::string("trace \"TFTP Rx ACK?\\n\""),
          std::string("trace \"TFTP Rx Error?\\n\""), "trace \"+++ Bad TFTP RRQ filename " + name.substr(1) + "\\n\""})
        EXPECT_TRUE(result.has(trace)) << trace;
    EXPECT_TRUE(device->fetches().at(0).bytes == target);
}

TEST_F(Upgrade, TenPercentOfTheAcknowledgementsLostIsSurvivedByteForByte)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.ack_loss = 0.1;
    config.tftp.faults.seed = 3;
    start_device(config);
    const HarnessRun result = run(script());
    EXPECT_TRUE(result.has(success_screen())) << result.text();
    EXPECT_GT(result.count_prefix("trace \"ReSend block"), 0u);
    EXPECT_TRUE(device->fetches().at(0).bytes == target);
}

TEST_F(Upgrade, ADeviceThatFallsSilentIsReportedAfterTheRestartWait)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.acks_from_other_port = true;
    start_device(config);
    const HarnessRun result = run(script("transfer-silence-floor-ms 1000\n"));
    EXPECT_TRUE(
        result.in_order({"open 110 \"Uploading Firmware To VOQ\"", "trace \"Timeout for ack; upgrade failed\\n\"",
                         "close 110 position 40", failure + "Firmware Upload Incomplete\"", "end-process"}))
        << result.text();
    EXPECT_EQ(result.count("trace \"ReSend option ack\\n\""), 29u);
    EXPECT_EQ(result.count_prefix("open 105"), 2u);  // no re-read after a transfer given up
}

TEST_F(Upgrade, TheOldVersionReportedAfterTheRestartIsAMismatch)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.reported_version = "2.0.12(SE)";
    start_device(config);
    const HarnessRun result = run(script());
    EXPECT_TRUE(
        result.in_order({uploaded(ui::text::target_role, 734916), failure + "Version not matching\"", "end-process"}))
        << result.text();
    EXPECT_EQ(result.count_prefix("open 111"), 0u);
}

TEST_F(Upgrade, PhoneStyleProductsSkipTheVersionCheck)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.reported_version = "3.1.7 phone";
    start_device(config);
    const HarnessRun result = run(script(), VOQ_HARNESS_PHONE);
    EXPECT_TRUE(result.has("open 305 \"VOQ-618 Firmware Upgrade\"")) << result.text();
    EXPECT_TRUE(
        result.in_order({uploaded(ui::text::target_role, 200000), success_screen(), "field 111 1004 \"3.1.7 phone\""}))
        << result.text();
}

TEST_F(Upgrade, CancelOnTheWaitingAndUploadingScreens)
{
    sim::DeviceConfig never = quick_device();
    never.tftp.faults.never_request = true;
    start_device(never);
    const HarnessRun waiting = run(script("cancel waiting after 200\n"));
    EXPECT_TRUE(waiting.in_order({"open 114 \"Waiting For Firmware Download Request From VOQ\"", "press 114 2",
                                  "close 114 position 200", failure + "User Abort\"", "end-process"}))
        << waiting.text();

    sim::DeviceConfig pausing = quick_device();
    pausing.tftp.faults.pause_at_block = 5;
    pausing.tftp.faults.pause_ms = 3000;
    start_device(pausing);
    const HarnessRun uploading = run(script("cancel uploading after 100\n"));
    EXPECT_TRUE(uploading.in_order({"open 110 \"Uploading Firmware To VOQ\"", "press 110 2", "close 110 position 5",
                                    failure + "User Abort\"", "end-process"}))
        << uploading.text();
}

TEST_F(Upgrade, StagedRunEndsWhenTheTransitionImageDidNotTake)
{
    sim::DeviceConfig silent = quick_device();
    silent.web.identity.software_version = "2.0.11";
    silent.tftp.faults.acks_from_other_port = true;
    start_device(silent);
    const HarnessRun given_up = run(script("transfer-silence-floor-ms 1000\n"), VOQ_HARNESS_STAGED);
    EXPECT_TRUE(given_up.in_order({failure + "Firmware Upload Incomplete\"", "end-process"})) << given_up.text();
    EXPECT_EQ(given_up.count_prefix("open 114"), 1u);
    EXPECT_EQ(device->web().upgrade_requests().size(), 1u);

    sim::DeviceConfig refusing = quick_device();
    refusing.web.identity.software_version = "2.0.11";
    refusing.tftp.faults.reported_version = "2.0.11";
    start_device(refusing);
    const HarnessRun mismatch = run(script(), VOQ_HARNESS_STAGED);
    EXPECT_TRUE(mismatch.in_order(
        {uploaded(ui::text::transition_role, 730800), failure + "Version not matching\"", "end-process"}))
        << mismatch.text();
    EXPECT_EQ(mismatch.count_prefix("open 114"), 1u);
    EXPECT_EQ(device->web().upgrade_requests().size(), 1u);
    EXPECT_EQ(device->fetches().size(), 1u);
}

TEST_F(Upgrade, ADeviceThatNeverComesBackIsReportedAsNotResponding)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.restart_ms = 60000;
    start_device(config);
    const HarnessRun result = run(script("reread-spacing-ms 300\n"));
    EXPECT_TRUE(
        result.in_order({uploaded(ui::text::target_role, 734916), failure + "No Response From VOQ\"", "end-process"}))
        << result.text();
    // The status page, the upgrade request, and the ten re-reads, each but the last
    // keeping its screen until the next may start.
    EXPECT_EQ(result.count_prefix("open 105"), 12u);
    EXPECT_EQ(result.count_prefix("open 111"), 0u);
    EXPECT_GE(result.elapsed_ms, 40u * 32 + 9 * 300);
}

TEST_F(Upgrade, ADeviceSilentForGoodIsGivenUpNoSoonerThanTheFloorAfterThirtySends)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.silent_from_block = 300;
    config.tftp.patience_ms = 30000;
    start_device(config);
    const HarnessRun result = run(script("transfer-silence-floor-ms 6000\n"));
    EXPECT_TRUE(result.in_order({"trace \"ReSend block 300\\n\"", "trace \"Timeout for ack; upgrade failed\\n\"",
                                 failure + "Firmware Upload Incomplete\"", "end-process"}))
        << result.text();
    EXPECT_EQ(result.count("trace \"ReSend block 300\\n\""), 29u);
    EXPECT_GE(result.elapsed_ms, 6000u + 40 * 32);
    device->stop();
    ASSERT_EQ(device->fetches().size(), 1u);
    EXPECT_EQ(device->fetches()[0].most_copies_of_a_packet, 30u);
}

TEST_F(Upgrade, TheFullRestartWaitIsTheProgramsOwn)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.restart_ms = 5000;
    start_device(config);
    const std::string full = "local-addresses " + dotted(addresses.pc) + "\nwarning continue\naddress type " +
                             dotted(addresses.device) + "\nconfirm upgrade\nsuccess ok\n";
    const HarnessRun result = run(full);
    // 937 units of 32 ms: some 30 s.
    EXPECT_TRUE(result.in_order({"range 110 1010 0 937", "close 110 position 937", success_screen(), "end-process"}))
        << result.text();
    EXPECT_GE(result.elapsed_ms, 936u * 32);  // the first unit may be nearly over
}

// What a whole upgrade waits for when nothing shortens it, as numbers.
TEST(UpgradeWaits, AreTheProgramsOwn)
{
    const session::Session defaults(1);
    EXPECT_EQ(tftp::restart_wait_units(defaults.restart_wait_ms), 937);
    EXPECT_EQ(defaults.transfer_silence_floor_ms, 30000u);
    EXPECT_EQ(defaults.reread_spacing_ms, 2000u);
}

}  // namespace
}  // namespace voq::test
