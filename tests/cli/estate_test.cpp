// Devices by range and by name, the estate written down, a rollout capped by its
// failures: runs of the program against simulated devices, a web server that is no
// VOQ and silent addresses, all on loopback.

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "cli_fixture.h"
#include "json_schema.h"

namespace voq::test {
namespace {

// Answers every request on port 80 with a page of its own, and keeps each request line.
class PlainWebServer {
public:
    explicit PlainWebServer(std::uint32_t address)
    {
        listening_ = listening_on_port_80(address);
        serving_ = std::thread([this] { serve(); });
    }
    ~PlainWebServer()
    {
        stop_ = true;
        serving_.join();
        ::close(listening_);
    }
    std::vector<std::string> request_lines()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }

private:
    void serve()
    {
        while (!stop_) {
            pollfd watched{listening_, POLLIN, 0};
            if (::poll(&watched, 1, 50) <= 0) continue;
            const int connection = ::accept(listening_, nullptr, nullptr);
            if (connection < 0) continue;
            std::string request(4096, '\0');
            const long got = ::recv(connection, request.data(), request.size(), 0);
            request.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                lines_.push_back(request.substr(0, request.find("\r\n")));
            }
            const std::string page = "<html><body>A printer's page</body></html>";
            const std::string answer =
                "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(page.size()) +
                "\r\nConnection: close\r\n\r\n" + page;
            ::send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
            ::close(connection);
        }
    }

    int listening_ = -1;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> lines_;
    std::thread serving_;
};

// Each device's object by its device, each line held to the schema; the summary left out.
std::map<std::string, nlohmann::json> objects_by_device(const std::string& out)
{
    std::map<std::string, nlohmann::json> objects;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const auto object = nlohmann::json::parse(line, nullptr, false);
        EXPECT_TRUE(schema_problems(program_schema(), object).empty()) << line;
        if (object.is_object() && !object.contains("summary"))
            objects[object["device"].is_null() ? "" : object["device"].get<std::string>()] = object;
    }
    return objects;
}

using Ranges = CliTest;

// A /29 of the test's own: the PC at .1, two VOQs, a web server that is none, and two
// silent addresses.
TEST_F(Ranges, CheckIsAnInventoryAndOnlyOldVoqsAreUpgraded)
{
    const auto old_one = start_device();
    const auto current = start_device(quick_device(), 1);
    current->web().set_software_version("2.0.13(g)");
    PlainWebServer printer(pair().device + 2);
    const std::string range = dotted(pair().pc - 1) + "/29", printer_address = device_address(2);
    const std::string written = write_file("found", "");
    const std::vector<std::string> shared{"--local-address", pc(), "--restart-wait", "1.5", "--json"};
    const auto run = [&](std::vector<std::string> more) {
        more.insert(more.begin(), shared.begin(), shared.end());
        return run_cli(more, {}, 90000);
    };

    const CliRun check = run({"--check", "--write-devices", written, range});
    EXPECT_EQ(check.status, 10) << check.out << check.err;
    auto found = objects_by_device(check.out);
    ASSERT_EQ(found.size(), 3u) << check.out;
    EXPECT_EQ(found[device_address()]["outcome"], "outdated");
    EXPECT_EQ(found[device_address(1)]["outcome"], "current");
    EXPECT_EQ(found[printer_address]["outcome"], "not-a-voq");
    EXPECT_EQ(found[printer_address]["status"], 0);

    const CliRun if_needed = run({"--if-needed", "--yes", range});
    EXPECT_EQ(if_needed.status, 0) << if_needed.out << if_needed.err;
    EXPECT_EQ(old_one->fetches().size(), 1u);
    EXPECT_TRUE(current->web().upgrade_requests().empty());
    // Without --check or --if-needed too, a web server that gives no version is sent no upgrade request.
    const CliRun upgrade = run({"--yes", printer_address + "-" + std::to_string((pair().device + 2) & 0xff)});
    EXPECT_EQ(upgrade.status, 0) << upgrade.out << upgrade.err;
    EXPECT_EQ(objects_by_device(upgrade.out)[printer_address]["outcome"], "not-a-voq");
    // The probe of each run connects and sends nothing; the status page's request is all else.
    for (const std::string& line : printer.request_lines())
        EXPECT_TRUE(line.empty() || line.starts_with("GET /admin/advanced ")) << line;

    // The devices written are read back: both VOQs, now current.
    const CliRun again = run({"--check", "--devices", written});
    EXPECT_EQ(again.status, 0) << again.out << again.err;
    found = objects_by_device(again.out);
    EXPECT_EQ(found.size(), 2u) << again.out;
    EXPECT_EQ(found[device_address()]["outcome"], "current");
}

using MaxFailures = CliTest;

TEST_F(MaxFailures, NoFurtherDeviceStartsAndTheFirstFailureGivesTheStatus)
{
    const auto device = start_device();
    const std::string list =
        write_file("capped", device_address(3) + "\n" + device_address(4) + "\n" + device_address() + "\n");
    const CliRun run = run_cli({"--devices", list, "--parallel", "1", "--max-failures", "1", "--yes", "--json",
                                "--local-address", pc(), "--restart-wait", "1.5"},
                               {}, 90000);
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    auto objects = objects_by_device(run.out);
    EXPECT_EQ(objects[device_address(3)]["outcome"], "no-response");
    for (const std::string& later : {device_address(4), device_address()}) {
        EXPECT_EQ(objects[later]["outcome"], "not-started") << run.out;
        EXPECT_EQ(objects[later]["status"], 12);
    }
    EXPECT_TRUE(device->web().requests().empty());
}

using Names = CliTest;

TEST_F(Names, ResolvedOnceOrFailingWithTheResolversReason)
{
    const CliRun named = run_cli({"--check", "--json", "--http-timeout", "5", "localhost"});
    EXPECT_EQ(named.status, 2) << named.out << named.err;
    auto objects = objects_by_device(named.out);
    EXPECT_EQ(objects["127.0.0.1"]["name"], "localhost") << named.out;
    // One device, however often it is named or listed, runs once: its object, then the summary.
    const CliRun twice = run_cli({"--check", "--json", "--http-timeout", "5", "localhost", "127.0.0.1", "localhost"});
    EXPECT_EQ(std::count(twice.out.begin(), twice.out.end(), '\n'), 2) << twice.out;
    EXPECT_NE(twice.out.find("{\"summary\":{\"devices\":1,"), std::string::npos) << twice.out;

    const CliRun unknown = run_cli({"--check", "--json", "no-such-device.invalid"});
    EXPECT_EQ(unknown.status, 2) << unknown.out << unknown.err;
    objects = objects_by_device(unknown.out);
    EXPECT_EQ(objects[""]["name"], "no-such-device.invalid") << unknown.out;
    EXPECT_TRUE(objects[""]["message"].get<std::string>().starts_with("no-such-device.invalid: ")) << unknown.out;
}

}  // namespace
}  // namespace voq::test
