// The Linux program played with the keyboard alone through the cases of
// tests/keyboard_cases.txt, which the Windows program is played through under wine:
// both must show the same screens and leave the device with the same outcome.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "autopilot_run.h"
#include "sim/device.h"
#include "sim/options.h"
#include "support/files.h"
#include "support/loopback.h"

namespace voq::test {
namespace {

namespace fs = std::filesystem;

struct KeyboardCase {
    std::string name;
    std::string device_options;
    std::string keys;
    std::string screens;
    std::string outcome;
};

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

std::vector<KeyboardCase> read_cases()
{
    std::ifstream in(VOQ_KEYBOARD_CASES);
    std::vector<KeyboardCase> cases;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> fields = split(line, '|');
        if (fields.size() == 5) cases.push_back({fields[0], fields[1], fields[2], fields[3], fields[4]});
    }
    return cases;
}

sim::DeviceConfig device_config(const std::string& options)
{
    std::vector<std::string> words = {"voq-device-sim"};
    std::stringstream in(options);
    for (std::string word; in >> word;) words.push_back(word);
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    const auto parsed = sim::parse_options(static_cast<int>(argv.size()), argv.data());
    return std::get<sim::Options>(parsed).device;
}

// The screens of a transcript in the order they first appeared, the connecting
// screen left out: it may come and go between two looks.
std::string screens_seen(const std::string& summary)
{
    std::vector<std::string> seen;
    std::stringstream in(summary);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("screen ", 0) != 0) continue;
        const std::string name = line.substr(7, line.find(' ', 7) - 7);
        if (name != "105" && std::find(seen.begin(), seen.end(), name) == seen.end()) seen.push_back(name);
    }
    std::string joined;
    for (const std::string& name : seen) joined += (joined.empty() ? "" : " ") + name;
    return joined;
}

// A word for the shell, in single quotes.
std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string outcome_of(sim::SimulatedDevice& device)
{
    for (const sim::Fetch& fetch : device.fetches()) {
        if (fetch.complete && fetch.bytes.size() == 734916u) return "whole";
    }
    if (!device.web().upgrade_requests().empty()) return "aborted";
    for (const sim::RecordedRequest& request : device.web().requests()) {
        if (!request.authorization.empty()) return "none";
    }
    return "unsigned";
}

TEST(KeyboardCases, TheLinuxProgramEndsEachCaseAsTheTableSays)
{
    const std::vector<KeyboardCase> cases = read_cases();
    ASSERT_GE(cases.size(), 8u);
    const LoopbackPair addresses = loopback_pair();
    for (const KeyboardCase& each : cases) {
        SCOPED_TRACE(each.name);
        sim::DeviceConfig config =
            device_config("--password secret --qop auth --restart-time 300 " + each.device_options);
        config.web.address = addresses.device;
        sim::SimulatedDevice device(config);
        std::string problem;
        ASSERT_TRUE(device.start(problem)) << problem;
        const fs::path shots = fs::path(VOQ_SCREENSHOTS) / "keyboard" / each.name;
        fs::remove_all(shots);
        const CommandResult run = autopilot("--shots " + shots.string() + " --address " + dotted(addresses.device) +
                                            " --password secret --restart-wait-units 40 --local-address " +
                                            dotted(addresses.pc) + " --keys " + quoted(each.keys));
        const std::string summary = read_file(shots / "summary.txt");
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(screens_seen(summary), each.screens) << summary;
        // A device told to fetch goes on asking for a while after the program has gone.
        if (each.outcome == "aborted") EXPECT_FALSE(device.web().upgrade_requests().empty());
        else if (each.outcome == "none") EXPECT_TRUE(device.web().upgrade_requests().empty()) << summary;
        else EXPECT_EQ(outcome_of(device), each.outcome) << summary;
    }
}

}  // namespace
}  // namespace voq::test
