// The wizard from the warning screen to the confirm screen, through the scripted
// harness against the simulated device.

#include <gtest/gtest.h>

#include <algorithm>

#include <memory>
#include <string>

#include "harness.h"
#include "sim/web_server.h"
#include "support/loopback.h"
#include "ui/views.h"

namespace voq::test {
namespace {

const std::string user_abort = "message \"VOQ Firwmare Upgrade Error\" \"Upgrade Failed: User Abort\"";
const std::string no_response = "message \"VOQ Firwmare Upgrade Error\" \"Upgrade Failed: No Response From VOQ\"";

class Sequence : public ::testing::Test {
protected:
    void start_device(sim::WebConfig config = {})
    {
        addresses = loopback_pair();
        config.address = addresses.device;
        config.log = device_log();
        device = std::make_unique<sim::WebServer>(config);
        std::string problem;
        ASSERT_TRUE(device->start(problem)) << problem;
    }

    // The usual start: the PC's address, Continue, the device's address typed.
    std::string opening() const
    {
        return "local-addresses " + dotted(addresses.pc) + "\nwarning continue\naddress type " +
               dotted(addresses.device) + "\n";
    }

    HarnessRun run(const std::string& script, const char* program = VOQ_HARNESS)
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        HarnessRun result = run_harness(program, script, test->name());
        EXPECT_FALSE(result.hung) << result.text();
        return result;
    }

    std::string connecting() const { return shown("open 105", ui::connecting_caption(dotted(addresses.device))); }

    LoopbackPair addresses{};
    std::unique_ptr<sim::WebServer> device;
};

sim::WebConfig protected_device(sim::NoncePolicy policy = sim::NoncePolicy::after_restart)
{
    sim::WebConfig config;
    config.digest.enabled = true;
    config.digest.password = "secret";
    config.digest.qop = "auth";
    config.digest.nonce_policy = policy;
    return config;
}

TEST_F(Sequence, DeviceWithoutPasswordReachesTheConfirmScreen)
{
    start_device();
    const HarnessRun result = run(opening() + "confirm cancel\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.in_order({
        "open 139 \"VOQ-3100/3300 Firmware Upgrade\"",
        "focus 139 2",
        "close 139 1",
        "open 101 \"VOQ-3100/3300 Firmware Upgrade\"",
        "field 101 1015 \"Version 2.0.13(g)\"",
        "list 101 1017 \"" + dotted(addresses.pc) + "\"",
        "select 101 1017 0",
        "close 101 1",
        connecting(),
        "range 105 1010 0 100",
        "open 103 \"Confirm Upgrade to Ver. 2.0.13(g)\"",
        "field 103 1002 \"VQ3300A01234\"",
        "field 103 1003 \"00:0E:08:C0:FF:EE\"",
        "field 103 1004 \"2.0.12(SE)\"",
        "field 103 1005 \"1.0.3\"",
        "field 103 1006 \"VOQ-3300\"",
        "close 103 0",
        user_abort,
        "exit 0",
    })) << result.text();
    EXPECT_EQ(result.count_prefix("open 104"), 0u);
    EXPECT_EQ(result.count(connecting()), 1u);
    ASSERT_EQ(device->requests().size(), 1u);
    EXPECT_EQ(device->requests()[0].client_address, addresses.pc);
}

TEST_F(Sequence, PasswordAskedOnceThenEveryRequestSigned)
{
    start_device(protected_device());
    const HarnessRun result = run(opening() + "password enter admin secret\nconfirm cancel\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.count("open 104 \"Enter Password Information\""), 1u);
    EXPECT_TRUE(result.in_order({connecting(), "close 105 position 0", "open 104 \"Enter Password Information\"",
                                 "field 104 1003 \"admin\"", "field 104 1005 \"\"", "focus 104 1005", "close 104 1",
                                 connecting(), "field 103 1004 \"2.0.12(SE)\"", user_abort, "exit 0"}))
        << result.text();
    ASSERT_EQ(device->requests().size(), 2u);
    EXPECT_EQ(device->requests()[1].verdict, sim::Verdict::authorized);
}

TEST_F(Sequence, WrongPasswordThreeTimesThenRight)
{
    start_device(protected_device(sim::NoncePolicy::fixed));
    const HarnessRun result = run(opening() +
                                  "password enter admin one\npassword enter admin two\npassword enter root three\n"
                                  "password enter admin secret\nconfirm cancel\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.count("open 104 \"Enter Password Information\""), 4u);
    EXPECT_EQ(result.count("field 104 1003 \"admin\""), 4u);  // back at "admin" every time
    EXPECT_EQ(result.count(connecting()), 5u);
    EXPECT_TRUE(result.has("field 103 1006 \"VOQ-3300\"")) << result.text();
    EXPECT_TRUE(result.in_order({user_abort, "exit 0"}));
}

TEST_F(Sequence, NewNonceInEveryChallengeGivesOneAutomaticResendPerPassword)
{
    start_device(protected_device(sim::NoncePolicy::every_challenge));
    const HarnessRun result =
        run(opening() + "password enter admin wrong\npassword enter admin secret\nconfirm cancel\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.count("open 104 \"Enter Password Information\""), 2u);
    // unsigned, wrong, its automatic re-send, right
    EXPECT_EQ(result.count(connecting()), 4u);
    EXPECT_TRUE(result.has("field 103 1006 \"VOQ-3300\"")) << result.text();
}

TEST_F(Sequence, CancelOnThePasswordScreenEndsTheProcess)
{
    start_device(protected_device());
    const HarnessRun result = run(opening() + "password cancel\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.in_order({"open 104 \"Enter Password Information\"", "close 104 0", user_abort, "end-process"}))
        << result.text();
    EXPECT_EQ(result.count_prefix("exit"), 0u);
    EXPECT_EQ(result.count_prefix("open 103"), 0u);
}

TEST_F(Sequence, CancelWhileADeviceNeverClosesEndsTheProcess)
{
    sim::WebConfig config;
    config.fault = sim::WebFault::never_close;
    start_device(config);
    const HarnessRun result = run(opening() + "cancel connecting after 300\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.in_order({connecting(), "press 105 2", "close 105 position 28", user_abort, "end-process"}))
        << result.text();
}

TEST_F(Sequence, DeviceNotAnsweringIsReported)
{
    sim::WebConfig config;
    config.fault = sim::WebFault::refuse_connections;
    start_device(config);
    const HarnessRun result = run(opening() + "confirm upgrade\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.in_order({connecting(), "close 105 position 0", no_response, "exit 0"})) << result.text();
    EXPECT_EQ(result.count_prefix("open 104"), 0u);
    EXPECT_EQ(result.count_prefix("open 103"), 0u);
}

TEST_F(Sequence, ErrorStatusStillReachesTheConfirmScreenWithEmptyFields)
{
    sim::WebConfig config;
    config.fault = sim::WebFault::error_status;
    start_device(config);
    const HarnessRun result = run(opening() + "confirm cancel\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(
        result.in_order({"open 103 \"Confirm Upgrade to Ver. 2.0.13(g)\"", "field 103 1002 \"\"", "field 103 1003 \"\"",
                         "field 103 1004 \"\"", "field 103 1005 \"\"", "field 103 1006 \"\"", user_abort, "exit 0"}))
        << result.text();
}

TEST_F(Sequence, CancelledScreensEndTheRun)
{
    start_device();
    const struct {
        const char* what;
        std::string script;
        std::vector<std::string> expected;
        const char* absent;
    } cases[] = {
        {"warning", "warning cancel\n", {"close 139 0", "exit 0"}, "open 101"},
        {"address", "warning continue\naddress cancel\n", {"close 101 0", "exit 0"}, "open 105"},
        {"enter right after the warning opens",
         "",
         {"note \"no answer left in the script for screen 139: Cancel\"", "press 139 2", "exit 0"},
         "open 101"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const HarnessRun result = run(c.script);
        EXPECT_EQ(result.status, 0);
        EXPECT_TRUE(result.in_order(c.expected)) << result.text();
        EXPECT_EQ(result.count_prefix(c.absent), 0u) << result.text();
        EXPECT_EQ(result.count_prefix("message"), 0u);
    }
    EXPECT_TRUE(device->requests().empty());
}

TEST_F(Sequence, RefusedAddressesKeepTheScreenOpen)
{
    start_device();
    const std::string device_text = dotted(addresses.device);
    std::string starred = device_text;
    std::replace(starred.begin(), starred.end(), '.', '*');
    const HarnessRun result =
        run("local-addresses " + dotted(addresses.pc) +
            "\nwarning continue\naddress type 0.0.0.0\naddress type \"\"\naddress type 1.2.3\n"
            "address type \"" +
            device_text + " \"\naddress type 127.0.69.256\naddress type " + starred + "\nconfirm cancel\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.count("message \"Error\" \"Invalid IP Address\""), 5u);
    EXPECT_EQ(result.count("focus 101 1000"), 6u);  // at opening and after each refusal
    EXPECT_EQ(result.count("open 101 \"VOQ-3100/3300 Firmware Upgrade\""), 1u);
    // The text as typed names the device in the titles.
    EXPECT_TRUE(result.has("open 105 \"Connecting with VOQ@" + starred + "\"")) << result.text();
}

TEST_F(Sequence, TheChosenLocalAddressIsTheRequestsSource)
{
    start_device();
    const LoopbackPair other = loopback_pair();
    const std::string unused = dotted(addresses.pc + 8);
    const HarnessRun result =
        run("local-addresses " + dotted(other.pc) + " " + dotted(addresses.pc) + " " + unused +
            "\nwarning continue\naddress type " + dotted(addresses.device) + " select 1\nconfirm cancel\n");
    EXPECT_TRUE(
        result.has("list 101 1017 \"" + dotted(other.pc) + "\" \"" + dotted(addresses.pc) + "\" \"" + unused + "\""))
        << result.text();
    EXPECT_TRUE(result.has("choose 101 1017 1"));
    ASSERT_EQ(device->requests().size(), 1u);
    EXPECT_EQ(device->requests()[0].client_address, addresses.pc);
}

TEST_F(Sequence, WithoutLocalAddressesTheRouteToTheDeviceIsUsed)
{
    start_device();
    const HarnessRun result =
        run("local-addresses none\nwarning continue\naddress type " + dotted(addresses.device) + "\nconfirm cancel\n");
    EXPECT_TRUE(result.has("list 101 1017")) << result.text();
    EXPECT_TRUE(result.has("select 101 1017 -1"));
    EXPECT_TRUE(result.has("field 103 1006 \"VOQ-3300\"")) << result.text();
    ASSERT_EQ(device->requests().size(), 1u);
    EXPECT_EQ(device->requests()[0].client_address >> 24, 127u);
}

TEST_F(Sequence, StagedBuildDecidesByTheDevicesVersion)
{
    const std::string staged_text =
        "field 304 1007 \"The following information was extracted\\r\\nfrom your VOQ. Please click \\\"Upgrade\\\"\\r\\n"
        "if you would like to proceed. If you would\\r\\nlike to quit click \\\"Cancel\\\".\\r\\n\\r\\nNote: Since your "
        "current firmware version\\r\\nis older than 2.0.12(SE), this upgrade procedure\\r\\nrequires additional steps "
        "and will be\\r\\nslightly longer.\\r\\n\"";
    const struct {
        const char* version;
        const char* confirm;
    } cases[] = {
        {"2.0.11", "open 304 \"Confirm Upgrade to Ver. 2.0.13(g)\""},
        {"9.9.9(NT)", "open 304 \"Confirm Upgrade to Ver. 2.0.13(g)\""},
        {"2.0.12(SE)", "open 103 \"Confirm Upgrade to Ver. 2.0.13(g)\""},
        {"2.0.13(g)", "open 103 \"Confirm Upgrade to Ver. 2.0.13(g)\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        sim::WebConfig config;
        config.identity.software_version = c.version;
        start_device(config);
        const HarnessRun result = run(opening() + "confirm cancel\n", VOQ_HARNESS_STAGED);
        EXPECT_TRUE(result.has(c.confirm)) << result.text();
        if (std::string(c.confirm).find("304") != std::string::npos) {
            EXPECT_TRUE(result.has(staged_text)) << result.text();
        }
        EXPECT_TRUE(result.in_order({user_abort, "exit 0"}));
    }
}

}  // namespace
}  // namespace voq::test
