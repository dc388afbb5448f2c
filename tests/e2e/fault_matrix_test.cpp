// The fault matrix: whole runs of the harness against a device that misbehaves one
// way at a time. Each ends with the image delivered byte for byte and the success
// screen, or with the message that names the failure; never with a hang. The table
// in docs/reliability.md is this one.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "harness.h"
#include "sim/device.h"
#include "support/files.h"
#include "support/loopback.h"
#include "ui/views.h"

namespace voq::test {
namespace {

struct Fault {
    const char* name;
    void (*arrange)(sim::DeviceConfig&);
    const char* more_script;  // answers beyond the usual ones
    const char* outcome;      // "success", or the failure message's end
};

const Fault faults[] = {
    {"AckLoss10", [](sim::DeviceConfig& c) { c.tftp.faults.ack_loss = 0.1; }, "", "success"},
    {"AckLoss30", [](sim::DeviceConfig& c) { c.tftp.faults.ack_loss = 0.3; }, "", "success"},
    {"DataLoss10", [](sim::DeviceConfig& c) { c.tftp.faults.data_loss = 0.1; }, "", "success"},
    {"DataLoss30", [](sim::DeviceConfig& c) { c.tftp.faults.data_loss = 0.3; }, "", "success"},
    {"DuplicatedAcks", [](sim::DeviceConfig& c) { c.tftp.faults.duplicate_acks = true; }, "", "success"},
    {"DelayedAcks", [](sim::DeviceConfig& c) { c.tftp.faults.ack_delay_ms = 250; }, "", "success"},
    {"StaleAcks", [](sim::DeviceConfig& c) { c.tftp.faults.stale_acks = true; }, "", "success"},
    {"PauseOf2Seconds",
     [](sim::DeviceConfig& c) {
         c.tftp.faults.pause_at_block = 700;
         c.tftp.faults.pause_ms = 2000;
     },
     "", "success"},
    {"PacketsFromOtherPorts", [](sim::DeviceConfig& c) { c.tftp.faults.stray_packets = true; }, "", "success"},
    {"ErrorAnsweringTheOptions", [](sim::DeviceConfig& c) { c.tftp.faults.error_instead_of_ack0 = true; },
     "transfer-silence-floor-ms 3000\n", "Firmware Upload Incomplete"},
    {"WrongNameFirst", [](sim::DeviceConfig& c) { c.tftp.faults.wrong_name_first = true; }, "", "success"},
    {"AnswerOver131071Bytes", [](sim::DeviceConfig& c) { c.web.fault = sim::WebFault::oversized_answer; }, "",
     "success"},
    {"NulByteInTheAnswer", [](sim::DeviceConfig& c) { c.web.fault = sim::WebFault::nul_in_answer; }, "", "success"},
    {"DeviceNeverCloses", [](sim::DeviceConfig& c) { c.web.fault = sim::WebFault::never_close; },
     "cancel connecting after 500\n", "User Abort"},
    {"StaleNonceAfterTheRestart",
     [](sim::DeviceConfig& c) {
         c.web.digest.enabled = true;
         c.web.digest.password = "secret";
         c.web.digest.qop = "auth";
     },
     "password enter admin secret\n", "success"},
    {"OversizedChallengeValues",
     [](sim::DeviceConfig& c) {
         c.web.digest.enabled = true;
         c.web.digest.password = "secret";
         c.web.digest.realm = std::string(300, 'r');
         c.web.digest.opaque = std::string(300, 'o');
     },
     "password enter admin secret\npassword enter admin secret\n", "User Abort"},
    // Longer than the thirty sends of a block last here (some 3.3 s), shorter than
    // the 30 s a silent device is given since its last acknowledgement.
    {"SilentFor5SecondsMidTransfer",
     [](sim::DeviceConfig& c) {
         c.tftp.faults.pause_at_block = 700;
         c.tftp.faults.pause_ms = 5000;
     },
     "", "success"},
    // Its web server comes back some 3 s after the restart wait: the re-reads, 700 ms
    // apart, reach it where ten refused connections in a row would not.
    {"WebServerRefusingFor4SecondsAfterTheRestart", [](sim::DeviceConfig& c) { c.tftp.restart_ms = 4000; },
     "reread-spacing-ms 700\n", "success"},
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

class FaultMatrix : public ::testing::TestWithParam<Fault> {};

TEST_P(FaultMatrix, EndsDeliveredOrWithItsMessage)
{
    const Fault& fault = GetParam();
    const LoopbackPair addresses = loopback_pair();
    sim::DeviceConfig config;
    config.web.address = addresses.device;
    config.web.log = device_log();
    config.tftp.request_delay_ms = 50;
    config.tftp.restart_ms = 200;
    config.tftp.faults.seed = 11;
    fault.arrange(config);
    sim::SimulatedDevice device(config);
    std::string problem;
    ASSERT_TRUE(device.start(problem)) << problem;

    const std::string script = "local-addresses " + dotted(addresses.pc) +
                               "\nrestart-wait-units 40\nwarning continue\n" + "address type " +
                               dotted(addresses.device) + "\nconfirm upgrade\nsuccess ok\n" + fault.more_script;
    const HarnessRun result = run_harness(VOQ_HARNESS, script, fault.name, 240000);
    ASSERT_FALSE(result.hung) << result.text();
    EXPECT_EQ(result.status, 0);
    if (std::string(fault.outcome) == "success") {
        EXPECT_TRUE(result.in_order({shown("open 111", ui::success_caption(dotted(addresses.device))), "end-process"}))
            << result.text();
        EXPECT_EQ(result.count_prefix("message"), 0u) << result.text();
        const std::vector<std::uint8_t> target = read_file_bytes(VOQ_TARGET_IMAGE_FILE);
        ASSERT_FALSE(device.fetches().empty());
        EXPECT_TRUE(device.fetches().back().bytes == target) << "the image arrived changed";
    } else {
        EXPECT_TRUE(result.in_order(
            {"message \"VOQ Firwmare Upgrade Error\" \"Upgrade Failed: " + std::string(fault.outcome) + "\"",
             "end-process"}))
            << result.text();
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(faults),
                         [](const ::testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace voq::test
