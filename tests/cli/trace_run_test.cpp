// The verbose trace of a whole upgrade against the simulated device: -v the steps and
// one line for the transfer, -vv every packet besides; each line dated and labelled.

#include <regex>
#include <sstream>

#include "cli_fixture.h"

namespace voq::test {
namespace {

using Trace = CliTest;

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::size_t count_of(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// Every trace line: the date and time, then what it is about.
void expect_dated_and_labelled(const std::string& err)
{
    const std::regex traced(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} (run|http|tftp): .+)");
    const std::regex dated(R"(\d{4}-\d{2}-\d{2} .*)");
    std::size_t seen = 0;
    for (const std::string& line : lines_of(err)) {
        if (!std::regex_match(line, dated)) continue;
        ++seen;
        EXPECT_TRUE(std::regex_match(line, traced)) << line;
    }
    EXPECT_GT(seen, 10u);
}

TEST_F(Trace, OneVShowsTheStepsAndTheTransferInOneLine)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.ack_loss = 0.01;  // some retransmissions to count
    const auto device = start_device(config);
    const CliRun run = run_cli(arguments({"--yes", "-v"}));
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 0) << run.err;
    expect_dated_and_labelled(run.err);
    const struct {
        std::string step;
        std::size_t times;
    } steps[] = {
        {" run: Phase: reading the status page\n", 1},
        {" http: GET /admin/advanced HTTP/1.1\n", 2},  // before the upgrade and after the restart
        {" http: GET /admin/upgrade?tftp://" + pc() + ":69/", 1},
        {" http: Answer: HTTP/1.1 200 OK (", 3},
        {" tftp: listening on " + pc() + ":69\n", 1},
        {" tftp: read request from " + device_address() + ":", 1},
        {" run: Phase: waiting for the restart\n", 1},
        {" run: restart wait took ", 1},
        {" run: Version expected ", 1},
    };
    for (const auto& step : steps) EXPECT_EQ(count_of(run.err, step.step), step.times) << step.step << "\n" << run.err;
    const std::string size = std::to_string(target.size()), blocks = std::to_string(target.size() / 512 + 1);
    const std::regex summary("tftp: target image sent in \\d+\\.\\d{3} s: " + blocks + " blocks acknowledged, " + size +
                             " of " + size + " bytes, [1-9]\\d* retransmissions\n");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(run.err, found, summary)) << run.err;
    // Not a line a packet.
    EXPECT_EQ(run.err.find("tftp: Send block"), std::string::npos);
    EXPECT_EQ(run.err.find("tftp: ReSend block"), std::string::npos);
    EXPECT_EQ(run.err.find("tftp: Transfer:"), std::string::npos);
}

TEST_F(Trace, TwoVAddEveryPacket)
{
    const auto device = start_device();
    const CliRun run = run_cli(arguments({"--yes", "-vv"}));
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 0) << run.err;
    expect_dated_and_labelled(run.err);
    const std::size_t blocks = target.size() / 512 + 1;
    // Each block goes out once on a line of its own, each acknowledgement has its line.
    EXPECT_EQ(count_of(run.err, " tftp: option acknowledgement sent\n"), 1u) << run.err;
    EXPECT_EQ(count_of(run.err, " tftp: block " + std::to_string(blocks) + " sent\n"), 1u) << run.err;
    EXPECT_EQ(count_of(run.err, " sent\n"), blocks + 1);
    EXPECT_EQ(count_of(run.err, " tftp: acknowledgement of block " + std::to_string(blocks) + "\n"), 1u);
    EXPECT_GE(count_of(run.err, " tftp: Transfer: "), blocks);
    // Made from the facts alone: none of the core's own trace texts.
    EXPECT_EQ(count_of(run.err, "Send block"), 0u);
    EXPECT_EQ(count_of(run.err, " tftp: target image sent in "), 1u);
}

// Ctrl+C as the transfer begins: how far it got, nothing as yet, before the failure it
// ends in. The device refuses the options, so nothing is ever acknowledged, however
// late the interrupt lands.
TEST_F(Trace, ATransferCutShortIsSummarisedAsStopped)
{
    sim::DeviceConfig config = quick_device();
    config.tftp.faults.error_instead_of_ack0 = true;
    const auto device = start_device(config);
    const CliRun run = run_cli(arguments({"--yes", "-v"}), {}, 60000, " run: Phase: transferring\n");
    ASSERT_FALSE(run.hung);
    EXPECT_EQ(run.status, 130) << run.err;
    const std::regex summary(" tftp: target image stopped after \\d+\\.\\d{3} s: 0 blocks acknowledged, 0 of " +
                             std::to_string(target.size()) + " bytes, \\d+ retransmissions\n");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(run.err, found, summary)) << run.err;
    const std::size_t failure = run.err.find("\nUpgrade Failed: ");
    ASSERT_NE(failure, std::string::npos) << run.err;
    EXPECT_LT(static_cast<std::size_t>(found.position(0)), failure) << run.err;
    EXPECT_EQ(run.err.find(" sent in "), std::string::npos);
}

}  // namespace
}  // namespace voq::test
