// curl, a Digest client written by others, against the simulated device: the
// simulator's checking of credentials is only worth something if a real client
// passes it.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sim/web_server.h"
#include "support/child_process.h"
#include "support/loopback.h"

namespace voq::sim {
namespace {

class CurlAgainstTheSimulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (test::run_command("curl --version").status != 0) FAIL() << "curl is missing: make test installs it";
    }

    void start_device(WebConfig config)
    {
        device.reset();
        addresses = test::loopback_pair();
        config.address = addresses.device;
        device = std::make_unique<WebServer>(config);
        std::string problem;
        ASSERT_TRUE(device->start(problem)) << problem;
    }

    // The status curl got after answering the challenge with user and password.
    std::string curl_status(const std::string& password)
    {
        const std::string url = "http://" + test::dotted(addresses.device) + "/admin/advanced";
        return test::run_command("curl -s -o /dev/null -w '%{http_code}' --interface " + test::dotted(addresses.pc) +
                                 " --digest -u admin:" + password + " " + url)
            .output;
    }

    test::LoopbackPair addresses{};
    std::unique_ptr<WebServer> device;
};

WebConfig protected_device(std::string qop, std::string algorithm)
{
    WebConfig config;
    config.digest.enabled = true;
    config.digest.password = "secret";
    config.digest.qop = std::move(qop);
    config.digest.algorithm = std::move(algorithm);
    config.digest.opaque = "5ccc069c403ebaf9f0171e9517f40e41";
    return config;
}

TEST_F(CurlAgainstTheSimulator, AuthenticatesForEveryFormCurlSpeaks)
{
    const struct {
        std::string qop;
        std::string algorithm;
    } forms[] = {
        {"", ""},
        {"", "MD5"},
        {"auth", ""},
        {"auth", "MD5"},
        {"auth", "MD5-sess"},
        {"auth-int", ""},
        {"auth-int", "MD5-sess"},
        {"auth,auth-int", "MD5"},
        {"auth,auth-int", "MD5-sess"},
    };
    for (const auto& form : forms) {
        SCOPED_TRACE("qop \"" + form.qop + "\" algorithm \"" + form.algorithm + "\"");
        WebConfig config = protected_device(form.qop, form.algorithm);
        // curl hashes MD5-sess keys from the hexadecimal H(A1), as RFC 2617's text has it,
        // and writes nc in eight digits where the devices want nine: the lenient device.
        config.digest.session_key_from_hex = true;
        config.strict = false;
        start_device(config);
        EXPECT_EQ(curl_status("secret"), "200");
        const auto requests = device->requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].verdict, Verdict::missing);
        EXPECT_EQ(requests[1].verdict, Verdict::authorized) << requests[1].authorization;
    }
}

TEST_F(CurlAgainstTheSimulator, TheStrictDeviceTakesCurlWithoutQopAndRefusesItsEightDigitCount)
{
    start_device(protected_device("", "MD5"));
    EXPECT_EQ(curl_status("secret"), "200");
    ASSERT_EQ(device->requests().size(), 2u);
    EXPECT_EQ(device->requests()[1].verdict, Verdict::authorized) << device->requests()[1].reason;

    start_device(protected_device("auth", ""));
    EXPECT_EQ(curl_status("secret"), "401");
    ASSERT_EQ(device->requests().size(), 2u);
    EXPECT_EQ(device->requests()[1].reason, "nc \"00000001\" is not nine hexadecimal digits")
        << device->requests()[1].authorization;
}

TEST_F(CurlAgainstTheSimulator, WrongPasswordIsRefused)
{
    WebConfig config = protected_device("auth", "");
    config.strict = false;
    start_device(config);
    EXPECT_EQ(curl_status("wrong"), "401");
    ASSERT_EQ(device->requests().size(), 2u);
    EXPECT_EQ(device->requests()[1].reason, "response does not match");
}

TEST_F(CurlAgainstTheSimulator, MD5SessFromTheHexKeyIsNotTheDevicesForm)
{
    // The devices take the raw 16-byte H(A1) for MD5-sess (the tool does too); curl's
    // hexadecimal form is refused by a simulator that checks the way the devices do.
    WebConfig config = protected_device("auth", "MD5-sess");
    config.strict = false;
    start_device(config);
    EXPECT_EQ(curl_status("secret"), "401");
    ASSERT_EQ(device->requests().size(), 2u);
    EXPECT_EQ(device->requests()[1].reason, "response does not match");
}

}  // namespace
}  // namespace voq::sim
