// What the simulated device makes of a request head, sent raw over loopback: a
// strict device answers 400 to anything but "GET <path> HTTP/1.1" with its own
// address as Host and an empty line at the end; a lenient one answers the page.

#include <gtest/gtest.h>

#include <string>
#include <sys/socket.h>

#include "platform/socket.h"
#include "platform/socket_address.h"
#include "sim/web_server.h"
#include "support/loopback.h"

namespace voq::sim {
namespace {

// The status of the answer to head, sent whole and then the sending side closed.
int status_for(const test::LoopbackPair& addresses, const std::string& head)
{
    platform::Socket client(platform::open_stream_socket());
    if (!platform::connect_socket(client.handle(), platform::fill_socket_address(addresses.device, 80))) return -1;
    platform::send_bytes(client.handle(), head.data(), head.size());
    ::shutdown(static_cast<int>(client.handle()), SHUT_WR);
    std::string answer;
    char chunk[4096];
    for (long received; (received = platform::receive_bytes(client.handle(), chunk, sizeof chunk)) > 0;)
        answer.append(chunk, static_cast<std::size_t>(received));
    return answer.rfind("HTTP/1.1 ", 0) == 0 ? std::stoi(answer.substr(9, 3)) : 0;
}

TEST(DeviceRequests, AStrictDeviceAnswersOnlyAWellFormedHead)
{
    const test::LoopbackPair addresses = test::loopback_pair();
    const std::string host = "Host: " + test::dotted(addresses.device) + "\r\n";
    const struct {
        const char* shape;
        std::string head;
        int strict;
        int lenient;
    } cases[] = {
        {"the tool's request", "GET /admin/advanced HTTP/1.1\r\n" + host + "\r\n", 200, 200},
        {"Host with the port",
         "GET /admin/advanced HTTP/1.1\r\nHost: " + test::dotted(addresses.device) + ":80\r\n\r\n", 200, 200},
        {"HTTP/1.0", "GET /admin/advanced HTTP/1.0\r\n" + host + "\r\n", 400, 200},
        {"no version", "GET /admin/advanced\r\n" + host + "\r\n", 400, 200},
        {"another method", "HEAD /admin/advanced HTTP/1.1\r\n" + host + "\r\n", 400, 405},
        {"two spaces", "GET  /admin/advanced HTTP/1.1\r\n" + host + "\r\n", 400, 404},
        {"a path without its slash", "GET admin/advanced HTTP/1.1\r\n" + host + "\r\n", 400, 404},
        {"no Host line", "GET /admin/advanced HTTP/1.1\r\n\r\n", 400, 200},
        {"another device's Host", "GET /admin/advanced HTTP/1.1\r\nHost: 192.0.2.1\r\n\r\n", 400, 200},
        {"no empty line", "GET /admin/advanced HTTP/1.1\r\n" + host, 400, 200},
    };
    for (const bool strict : {true, false}) {
        WebConfig config;
        config.address = addresses.device;
        config.strict = strict;
        WebServer device(config);
        std::string problem;
        ASSERT_TRUE(device.start(problem)) << problem;
        for (const auto& test : cases) {
            SCOPED_TRACE(std::string(test.shape) + (strict ? ", strict" : ", lenient"));
            EXPECT_EQ(status_for(addresses, test.head), strict ? test.strict : test.lenient);
        }
        for (const RecordedRequest& request : device.requests())
            EXPECT_EQ(request.reason.empty(), request.status != 400) << request.request_line;
    }
}

}  // namespace
}  // namespace voq::sim
