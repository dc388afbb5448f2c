// TFTP clients written by others fetching the image from the tool's own listener and
// transfer session: the tool as it runs (the harness), waiting behind its waiting
// screen after a simulated device was told to fetch and never did.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <memory>
#include <string>

#include "bench/reference_server.h"
#include "harness.h"
#include "platform/clock.h"
#include "sim/device.h"
#include "sim/tftp_client.h"
#include "support/child_process.h"
#include "support/files.h"
#include "support/loopback.h"

namespace voq::test {
namespace {

namespace fs = std::filesystem;

// A client's command line for one file into one output, from the PC's address.
using Client = std::string (*)(const std::string& server, std::uint16_t port, const std::string& name,
                               const std::string& output);

struct Fetched {
    int client_status;
    bool wrong_name_got_nothing;
    std::vector<std::uint8_t> bytes;
    HarnessRun tool;
};

Fetched fetch_with(Client client)
{
    const LoopbackPair addresses = loopback_pair();
    sim::DeviceConfig config;
    config.web.address = addresses.device;
    config.tftp.faults.never_request = true;
    sim::SimulatedDevice device(config);
    std::string problem;
    EXPECT_TRUE(device.start(problem)) << problem;

    // The re-reads after a transfer go to the client's own address, where no web
    // server answers: spaced briefly, as the tool's waits are in every test.
    const std::string script =
        "local-addresses " + dotted(addresses.pc) + "\nrestart-wait-units 5\n" +
        "transfer-silence-floor-ms 2000\nreread-spacing-ms 100\nwarning continue\naddress type " +
        dotted(addresses.device) + "\nconfirm upgrade\nsuccess ok\n";
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    auto tool = std::async(std::launch::async, [&] { return run_harness(VOQ_HARNESS, script, test->name(), 60000); });
    const std::uint32_t started = platform::milliseconds();
    while (device.web().upgrade_requests().empty() && platform::milliseconds() - started < 10000)
        platform::sleep_milliseconds(10);
    Fetched fetched{-1, false, {}, {}};
    if (device.web().upgrade_requests().empty()) {
        ADD_FAILURE() << "the tool never sent its upgrade request";
    } else {
        const sim::UpgradeRequest request = device.web().upgrade_requests()[0];
        const fs::path output = fs::temp_directory_path() / ("voq-tftp-client-" + dotted(addresses.pc));
        fs::remove(output);
        const std::string server = dotted(addresses.pc);
        run_command(client(server, request.port, request.file_name + "x", output.string()));
        fetched.wrong_name_got_nothing = !fs::exists(output) || fs::file_size(output) == 0;
        fs::remove(output);
        fetched.client_status = run_command(client(server, request.port, request.file_name, output.string())).status;
        fetched.bytes = read_file_bytes(output);
        fs::remove(output);
    }
    fetched.tool = tool.get();
    return fetched;
}

class RealTftpClients : public ::testing::Test {
protected:
    const std::vector<std::uint8_t> target = read_file_bytes(VOQ_TARGET_IMAGE_FILE);
};

void expect_served(const Fetched& fetched, const std::vector<std::uint8_t>& target)
{
    EXPECT_EQ(fetched.client_status, 0);
    EXPECT_TRUE(fetched.wrong_name_got_nothing);
    EXPECT_EQ(fetched.bytes.size(), target.size());
    EXPECT_TRUE(fetched.bytes == target) << "the image arrived changed";
    EXPECT_FALSE(fetched.tool.hung);
    EXPECT_TRUE(fetched.tool.in_order({"trace \"All blocks ack'd\\n\"", "end-process"})) << fetched.tool.text();
}

TEST_F(RealTftpClients, CurlWithOptions)
{
    // curl sends the path after the host; the second slash makes the name's own.
    expect_served(fetch_with([](const std::string& server, std::uint16_t port, const std::string& name,
                                const std::string& output) {
                      return "curl -s -m 5 -o " + output + " tftp://" + server + ":" + std::to_string(port) + "/" +
                             name + " 2>&1";
                  }),
                  target);
}

TEST_F(RealTftpClients, CurlWithoutOptions)
{
    // Asked for no options, the tool still acknowledges its two (it always does);
    // curl takes the acknowledgement and goes on.
    expect_served(fetch_with([](const std::string& server, std::uint16_t port, const std::string& name,
                                const std::string& output) {
                      return "curl -s -m 5 --tftp-no-options -o " + output + " tftp://" + server + ":" +
                             std::to_string(port) + "/" + name + " 2>&1";
                  }),
                  target);
}

TEST_F(RealTftpClients, Atftp)
{
    expect_served(fetch_with([](const std::string& server, std::uint16_t port, const std::string& name,
                                const std::string& output) {
                      return "timeout 8 atftp --option 'tsize 0' --option 'timeout 5' -g -r " + name + " -l " + output +
                             " " + server + " " + std::to_string(port) + " 2>&1";
                  }),
                  target);
}

TEST_F(RealTftpClients, APlainRfc1350ClientGetsNothing)
{
    // tftp-hpa's client asks without options and knows no option acknowledgement;
    // the tool, as the devices expect, always opens with one and sends no DATA until
    // it is acknowledged. The client waits for block 1, the tool sends its options
    // thirty times and gives up: the difference is the tool's, on purpose.
    const Fetched fetched = fetch_with(
        [](const std::string& server, std::uint16_t port, const std::string& name, const std::string& output) {
            return "timeout 6 tftp -m binary " + server + " " + std::to_string(port) + " -c get " + name + " " +
                   output + " 2>&1";
        });
    EXPECT_TRUE(fetched.wrong_name_got_nothing);
    EXPECT_TRUE(fetched.bytes.empty());
    EXPECT_TRUE(fetched.tool.in_order(
        {"trace \"Timeout for ack; upgrade failed\\n\"",
         "message \"VOQ Firwmare Upgrade Error\" \"Upgrade Failed: Firmware Upload Incomplete\""}))
        << fetched.tool.text();
}

// The other way round: the simulated device's client against a server written by
// others. tftpd-hpa answers from a new port, as RFC 1350 has it, where the tool
// answers from the one it was asked on; the client must follow either.
TEST(RealTftpServer, TheDevicesClientFetchesFromTftpdHpa)
{
    if (!bench::reference_server_can_serve())
        GTEST_SKIP() << "tftpd-hpa serves only when started by the machine's root";
    const LoopbackPair addresses = loopback_pair();
    const fs::path directory = fs::temp_directory_path() / "voq-tftpd-hpa-164";
    fs::create_directories(directory);
    // tftpd-hpa serves as "nobody", and only files anyone may read.
    fs::permissions(directory, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
    const std::vector<std::uint8_t> image(3 * 512 + 100, 0x42);
    {
        std::ofstream file(directory / "image.bin", std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }
    const std::uint16_t port = 16964;
    const bench::ReferenceServer server(addresses.pc, port);
    ASSERT_TRUE(server.started());

    sim::TftpConfig client;
    client.request_delay_ms = 0;
    client.dally_ms = 0;
    client.follow_new_port = true;
    const std::atomic<bool> stop{false};
    const sim::UpgradeRequest request{addresses.pc, port, (directory / "image.bin").string()};
    sim::Fetch fetch;
    // Until the server listens, a read request goes unanswered.
    for (int attempt = 0; attempt < 20 && !fetch.complete; ++attempt) {
        client.patience_ms = 300;
        fetch = sim::fetch_firmware(addresses.device, request, client, stop, [](std::string_view) {});
    }
    EXPECT_TRUE(fetch.complete);
    EXPECT_TRUE(fetch.bytes == image) << fetch.bytes.size() << " bytes arrived";
    EXPECT_NE(fetch.option_acknowledgement.find("tsize|1636|"), std::string::npos) << fetch.option_acknowledgement;
    fs::remove_all(directory);
}

}  // namespace
}  // namespace voq::test
