#include <gtest/gtest.h>

#include <string>

#include "sim/answers.h"
#include "sim/authorization.h"
#include "sim/options.h"

namespace voq::sim {
namespace {

TEST(ParseUpgradePath, NamesAddressPortAndFile)
{
    const auto request = parse_upgrade_path("/admin/upgrade?tftp://192.0.2.10:69/voq4d2.bi1");
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->address, 0xc000020au);
    EXPECT_EQ(request->port, 69);
    EXPECT_EQ(request->file_name, "/voq4d2.bi1");

    for (const std::string path : {"/admin/upgrade?tftp://192.0.2.10/voq.bi1", "/admin/upgrade?tftp://192.0.2.10:/x",
                                   "/admin/upgrade?tftp://192.0.2.10:70000/x", "/admin/upgrade?http://1.2.3.4:69/x",
                                   "/admin/upgrade?tftp://1.2.3:69/x", "/admin/advanced"}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(parse_upgrade_path(path).has_value());
    }
}

TEST(ParseDigestAuthorization, QuotedAndBareDirectivesWithOrWithoutSpaces)
{
    const auto tool = parse_digest_authorization(
        "Digest username=\"admin\",realm=\"VOQ Device\",nonce=\"n\",uri=\"/a?b=c,d\",algorithm=\"\","
        "response=\"r\",qop=auth,nc=000000001,cnonce=\"29\"");
    EXPECT_EQ(tool.at("realm"), "VOQ Device");
    EXPECT_EQ(tool.at("uri"), "/a?b=c,d");
    EXPECT_EQ(tool.at("algorithm"), "");
    EXPECT_EQ(tool.at("qop"), "auth");
    EXPECT_EQ(tool.at("nc"), "000000001");
    EXPECT_EQ(tool.at("cnonce"), "29");

    const auto spaced = parse_digest_authorization("Digest username=\"a\", Realm=\"r\" , qop=auth , nc=00000001");
    EXPECT_EQ(spaced.at("realm"), "r");
    EXPECT_EQ(spaced.at("qop"), "auth");
    EXPECT_EQ(spaced.at("nc"), "00000001");

    EXPECT_TRUE(parse_digest_authorization("Basic YWRtaW46YWRtaW4=").empty());
}

TEST(ParseOptions, ReadsSettingsAndRefusesNonsense)
{
    const char* good[] = {"voq-device-sim",  "--address",     "127.0.3.2",   "--password", "pw",
                          "--qop",           "auth,auth-int", "--algorithm", "MD5-sess",   "--nonce",
                          "every-challenge", "--fault",       "never-close"};
    const auto parsed = parse_options(static_cast<int>(std::size(good)), good);
    ASSERT_TRUE(std::holds_alternative<Options>(parsed));
    const WebConfig& web = std::get<Options>(parsed).device.web;
    EXPECT_EQ(web.address, 0x7f000302u);
    EXPECT_TRUE(web.digest.enabled);
    EXPECT_EQ(web.digest.qop, "auth,auth-int");
    EXPECT_EQ(web.digest.algorithm, "MD5-sess");
    EXPECT_EQ(web.digest.nonce_policy, NoncePolicy::every_challenge);
    EXPECT_EQ(web.fault, WebFault::never_close);

    const std::vector<std::vector<const char*>> bad = {
        {"voq-device-sim", "--address", "1.2.3"},
        {"voq-device-sim", "--port", "65536"},
        {"voq-device-sim", "--algorithm", "SHA-256"},
        {"voq-device-sim", "--fault", "explode"},
        {"voq-device-sim", "--password"},
        {"voq-device-sim", "--frobnicate", "1"},
    };
    for (const auto& arguments : bad) {
        SCOPED_TRACE(arguments[1]);
        EXPECT_TRUE(
            std::holds_alternative<std::string>(parse_options(static_cast<int>(arguments.size()), arguments.data())));
    }
}

TEST(StatusPage, CarriesTheFiveLabelsInMarkup)
{
    const std::string page = status_page(Identity{});
    for (const char* label :
         {"Product Name:", "MAC Address:", "Software Version:", "Hardware Version:", "Serial Number:"})
        EXPECT_NE(page.find(std::string(label) + "</td><td><b>"), std::string::npos) << label;
}

}  // namespace
}  // namespace voq::sim
