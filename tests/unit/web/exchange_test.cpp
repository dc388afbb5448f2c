#include "web/exchange.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/socket.h"
#include "platform/socket_address.h"
#include "session/session.h"
#include "sim/web_server.h"
#include "support/loopback.h"
#include "support/printers.h"

namespace voq::web {
namespace {

using sim::WebFault;

// The exchange between the tool's side and the simulated device, as the request
// runner makes it: the Session's buffer with the size 131,071, port 80.
class Exchange : public ::testing::Test {
protected:
    void start_device(sim::WebConfig config = {})
    {
        addresses = test::loopback_pair();
        config.address = addresses.device;
        device = std::make_unique<sim::WebServer>(config);
        std::string problem;
        ASSERT_TRUE(device->start(problem)) << problem;
        session::seed_random(session->random, 1);
    }

    ExchangeResult exchange(std::string_view path = "/admin/advanced")
    {
        const ExchangeArguments arguments{
            addresses.pc, 23456, addresses.device, 80, path, session->response.data(), session::response_size_limit};
        return http_exchange(arguments, {session->device_info, session->auth, session->random});
    }

    void set_password(std::string_view password)
    {
        session->auth.user_name.assign("admin");
        session->auth.password.assign(password);
    }

    std::unique_ptr<session::Session> session = std::make_unique<session::Session>(1);
    test::LoopbackPair addresses{};
    std::unique_ptr<sim::WebServer> device;
};

sim::WebConfig protected_device(std::string qop = "", std::string algorithm = "")
{
    sim::WebConfig config;
    config.digest.enabled = true;
    config.digest.password = "secret";
    config.digest.qop = std::move(qop);
    config.digest.algorithm = std::move(algorithm);
    return config;
}

TEST_F(Exchange, ReadsTheStatusPageWithTheMinimalRequest)
{
    start_device();
    const ExchangeResult result = exchange();
    EXPECT_EQ(result.fault, ExchangeFault::none);
    EXPECT_GT(result.value, 0);
    EXPECT_EQ(static_cast<std::size_t>(result.value), std::string_view(session->response.data()).size());
    EXPECT_EQ(session->device_info.product_name, "VOQ-3300");
    EXPECT_EQ(session->device_info.mac_address, "00:0E:08:C0:FF:EE");
    EXPECT_EQ(session->device_info.software_version, "2.0.12(SE)");
    EXPECT_EQ(session->device_info.hardware_version, "1.0.3");
    EXPECT_EQ(session->device_info.serial_number, "VQ3300A01234");

    const auto requests = device->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].text, "GET /admin/advanced HTTP/1.1\r\nHost: " + test::dotted(addresses.device) + "\r\n\r\n");
    EXPECT_EQ(requests[0].client_port, 23456);
}

TEST_F(Exchange, ChallengeThenSignedRequestsCountedUnderTheNonce)
{
    start_device(protected_device("auth"));
    session->device_info.product_name.assign("untouched");
    EXPECT_EQ(exchange().value, -1);
    EXPECT_EQ(session->auth.nonce, device->current_nonce());
    EXPECT_EQ(session->auth.nonce_count, 0u);
    EXPECT_EQ(session->device_info.product_name, "untouched");

    set_password("secret");
    EXPECT_GT(exchange().value, 0);
    EXPECT_GT(exchange("/admin/upgrade?tftp://" + test::dotted(addresses.pc) + ":69/voq1.bi1").value, 0);
    EXPECT_EQ(session->auth.nonce_count, 2u);
    EXPECT_EQ(session->device_info.product_name, "VOQ-3300");

    const auto requests = device->requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].verdict, sim::Verdict::authorized);
    EXPECT_NE(requests[1].authorization.find(",nc=000000001,"), std::string::npos);
    EXPECT_EQ(requests[2].verdict, sim::Verdict::authorized);
    EXPECT_NE(requests[2].authorization.find(",nc=000000002,"), std::string::npos);
    ASSERT_EQ(device->upgrade_requests().size(), 1u);
    EXPECT_EQ(device->upgrade_requests()[0].file_name, "/voq1.bi1");
}

TEST_F(Exchange, WrongPasswordKeepsTheNonceAndItsCount)
{
    start_device(protected_device("auth"));
    EXPECT_EQ(exchange().value, -1);
    set_password("wrong");
    EXPECT_EQ(exchange().value, -1);
    EXPECT_EQ(session->auth.nonce_count, 1u);  // the same nonce came back: refused credentials
}

TEST_F(Exchange, RestartedDeviceIssuesANewNonceAndTheCountStartsAgain)
{
    start_device(protected_device("auth"));
    exchange();
    set_password("secret");
    ASSERT_GT(exchange().value, 0);
    device->restart();
    EXPECT_EQ(exchange().value, -1);
    EXPECT_EQ(session->auth.nonce_count, 0u);
    EXPECT_GT(exchange().value, 0);
    EXPECT_EQ(session->auth.nonce_count, 1u);
}

TEST_F(Exchange, EverySupportedDigestFormIsAccepted)
{
    start_device();
    device.reset();
    for (const std::string qop : {"", "auth", "auth-int", "auth,auth-int", "auth-int,auth"}) {
        for (const std::string algorithm : {"", "MD5", "MD5-sess", "md5-sess"}) {
            // The session key takes the client nonce, which a line without qop does not
            // carry: no server can check that form, and no device asks for it.
            if (qop.empty() && algorithm != "" && algorithm != "MD5") continue;
            SCOPED_TRACE("qop \"" + qop + "\" algorithm \"" + algorithm + "\"");
            sim::WebConfig config = protected_device(qop, algorithm);
            config.digest.opaque = "0paque";
            start_device(config);
            session->auth = session::AuthState{};
            EXPECT_EQ(exchange().value, -1);
            set_password("secret");
            EXPECT_GT(exchange().value, 0);
            ASSERT_EQ(device->requests().size(), 2u);
            EXPECT_EQ(device->requests()[1].verdict, sim::Verdict::authorized) << device->requests()[1].authorization;
            device.reset();
        }
    }
}

TEST_F(Exchange, WhatEveryKindOfAnswerGives)
{
    const struct {
        const char* what;
        WebFault fault;
        bool answered;
        const char* software_version;  // afterwards; both started as "before"
        const char* hardware_version;
    } cases[] = {
        {"HTTP/1.0 answer", WebFault::http_1_0, true, "2.0.12(SE)", "1.0.3"},
        {"error status", WebFault::error_status, true, "before", "before"},
        {"Basic challenge", WebFault::basic_challenge, true, "before", "before"},
        {"401 without a challenge", WebFault::challenge_without_header, true, "before", "before"},
        {"NUL byte before the hardware version", WebFault::nul_in_answer, true, "2.0.12(SE)", "before"},
        {"closed without an answer", WebFault::close_without_answer, false, "before", "before"},
        {"connection refused", WebFault::refuse_connections, false, "before", "before"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::WebConfig config;
        config.fault = c.fault;
        start_device(config);
        session->device_info = session::DeviceInfo{};
        session->device_info.software_version.assign("before");
        session->device_info.hardware_version.assign("before");
        const ExchangeResult result = exchange();
        EXPECT_EQ(result.fault, ExchangeFault::none);
        EXPECT_EQ(result.value > 0, c.answered) << result.value;
        // What a front-end is told: the answer's first line, or which call the system refused.
        EXPECT_EQ(result.status_line.starts_with("HTTP/1."), c.answered) << result.status_line;
        EXPECT_EQ(result.refused.has_value(), c.fault == WebFault::refuse_connections);
        if (result.refused) {
            EXPECT_EQ(result.refused->call, record::Call::http_connect);
            EXPECT_EQ(result.refused->address, addresses.device);
            EXPECT_EQ(result.refused->first_port, 80);
            EXPECT_FALSE(result.refused->reason.empty());
        }
        EXPECT_EQ(session->device_info.software_version, c.software_version);
        EXPECT_EQ(session->device_info.hardware_version, c.hardware_version);
        if (c.fault == WebFault::nul_in_answer) {
            EXPECT_GT(static_cast<std::size_t>(result.value), std::string_view(session->response.data()).size());
        }
        device.reset();
    }
}

TEST_F(Exchange, AnAnswerLongerThanTheBufferIsCutToIt)
{
    sim::WebConfig config;
    config.fault = WebFault::oversized_answer;
    start_device(config);
    EXPECT_EQ(exchange().value, session::response_size_limit);
    EXPECT_EQ(session->response[session::response_size_limit], '\0');
    EXPECT_EQ(session->device_info.serial_number, "VQ3300A01234");
}

TEST_F(Exchange, TakesTheNextFreeLocalPortAndFailsWhenNoneIsLeft)
{
    start_device();
    std::vector<platform::Socket> taken;
    const auto take = [&](std::uint16_t port) {
        taken.emplace_back(platform::open_stream_socket());
        ASSERT_EQ(platform::bind_socket(taken.back().handle(), platform::fill_socket_address(addresses.pc, port)),
                  platform::BindResult::bound);
    };
    take(23456);
    take(23457);
    EXPECT_GT(exchange().value, 0);
    EXPECT_EQ(device->requests().back().client_port, 23458);

    for (std::uint16_t port = 23458; port <= 23556; ++port) take(port);
    const ExchangeResult result = exchange();
    EXPECT_EQ(result.fault, ExchangeFault::cannot_bind_socket);
    EXPECT_EQ(result.value, 0);
    ASSERT_TRUE(result.refused);
    EXPECT_EQ(result.refused->call, record::Call::http_bind);
    EXPECT_EQ(result.refused->first_port, 23456);
    EXPECT_EQ(result.refused->last_port, 23556);
}

TEST(SocketAddress, FillAndReadMeetNetworkByteOrder)
{
    const platform::SocketAddress filled = platform::fill_socket_address(0xc0000201, 69);
    EXPECT_EQ(filled.family, platform::address_family_ipv4);
    const auto* address = reinterpret_cast<const std::uint8_t*>(&filled.address);
    const auto* port = reinterpret_cast<const std::uint8_t*>(&filled.port);
    EXPECT_EQ((std::vector<int>{address[0], address[1], address[2], address[3]}), (std::vector<int>{192, 0, 2, 1}));
    EXPECT_EQ((std::vector<int>{port[0], port[1]}), (std::vector<int>{0, 69}));
    EXPECT_EQ(platform::fill_socket_address(0, 80).address, 0u);
    EXPECT_EQ(platform::read_socket_address(filled), (platform::Endpoint{0xc0000201, 69}));
}

}  // namespace
}  // namespace voq::web
