#include "web/response.h"

#include <gtest/gtest.h>

#include <string>

#include "support/printers.h"
#include "web/exchange.h"

namespace voq::web {
namespace {

TEST(ClassifyResponse, ByVersionStatusAndUsableChallenge)
{
    const std::string digest = "WWW-Authenticate: Digest realm=\"VOQ\", nonce=\"abc\"\r\n";
    const struct {
        std::string response;
        ResponseStatus status;
        int code = 401;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\n\r\npage", ResponseStatus::ok, 200},
        {"HTTP/1.1\t  200 OK", ResponseStatus::ok, 200},
        {"HTTP/1.1x200", ResponseStatus::ok, 200},  // any separator after the version
        {"HTTP/1.1 404 Not Found\r\n", ResponseStatus::other, 404},
        {"HTTP/1.1 2000", ResponseStatus::ok, 200},
        {"HTTP/1.1 20", ResponseStatus::other, 0},
        {"HTTP/1.0 200 OK\r\n", ResponseStatus::not_http11, 200},
        {"http/1.1 200 OK\r\n", ResponseStatus::not_http11, 0},
        {"HTTP/1.", ResponseStatus::not_http11, 0},
        {"", ResponseStatus::not_http11, 0},
        {"HTTP/1.1", ResponseStatus::no_status_code, 0},
        {"HTTP/1.1 ", ResponseStatus::no_status_code, 0},
        {"HTTP/1.1    \t ", ResponseStatus::no_status_code, 0},
        {"HTTP/1.1 401 Unauthorized\r\n" + digest + "\r\n", ResponseStatus::challenge},
        {"HTTP/1.1 401 Unauthorized\r\n\r\n", ResponseStatus::other},
        {"HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"VOQ\"\r\n\r\n", ResponseStatus::other},
        {"HTTP/1.1 401 Unauthorized\r\nwww-authenticate: Digest realm=\"VOQ\", nonce=\"abc\"\r\n",
         ResponseStatus::other},
        {"HTTP/1.1 401\r\n\r\n<p>" + digest, ResponseStatus::challenge},  // found in the body too
        {"HTTP/1.0 401 Unauthorized\r\n" + digest, ResponseStatus::not_http11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("answer \"" + c.response + "\"");
        session::AuthState auth;
        session::RandomSource random;
        EXPECT_EQ(classify_response(c.response, auth, random), c.status);
        EXPECT_EQ(!auth.nonce.empty(), c.status == ResponseStatus::challenge);
        EXPECT_EQ(status_code(c.response), c.code);
    }
}

TEST(ExtractLabel, TakesTheTextAfterTheTagsBehindTheLabel)
{
    const struct {
        std::string page;
        std::string field;  // what the field holds afterwards; it started as "old"
    } cases[] = {
        {"<td>Software Version:</td><td><b>2.0.13(g)</b></td>", "2.0.13(g)"},
        {"<td>Software Version:</td><td>2.0.13(g)</td>", "2.0.13(g)"},
        {"Software Version: <i>skipped</i> then", "skipped"},  // text before the first tag is never taken
        {"Software Version:>  spaced &amp; raw <", "  spaced &amp; raw "},
        {"Software Version:</td><td>", ""},  // the text ends right after a tag
        {"Software Version:</td><td>to the end", "to the end"},
        {"Software Version: no tag at all", "old"},
        {"Software Version:</td><td", "old"},  // a tag that never closes
        {"no label here", "old"},
        {"software version:</td><td>x", "old"},  // labels are case-sensitive
        {"<td>Software Version:</td><td>first</td> Software Version:</td><td>second", "first"},
        {"Software Version:>" + std::string(200, 'v'), std::string(127, 'v')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("page \"" + c.page + "\"");
        FixedText<128> field;
        field.assign("old");
        extract_label(c.page, "Software Version:", field);
        EXPECT_EQ(field.view(), c.field);
    }
}

TEST(ExtractDeviceInfo, FillsEveryFieldThePageNamesAndKeepsTheRest)
{
    session::DeviceInfo info;
    info.serial_number.assign("from an earlier page");
    extract_device_info(
        "HTTP/1.1 200 OK\r\n\r\n<table>"
        "<tr><td>Product Name:</td><td>VOQ-3300</td></tr>"
        "<tr><td>MAC Address:</td><td>00:0E:08:12:34:56</td></tr>"
        "<tr><td>Software Version:</td><td>2.0.12(SE)</td></tr>"
        "<tr><td>Hardware Version:</td><td>1.0.1</td></tr></table>",
        info);
    EXPECT_EQ(info.product_name, "VOQ-3300");
    EXPECT_EQ(info.mac_address, "00:0E:08:12:34:56");
    EXPECT_EQ(info.software_version, "2.0.12(SE)");
    EXPECT_EQ(info.hardware_version, "1.0.1");
    EXPECT_EQ(info.serial_number, "from an earlier page");
}

TEST(BuildRequest, MinimalGetAndSignedOnceAPasswordIsSet)
{
    char buffer[2048];
    const ExchangeArguments arguments{0, 23456, 0xc0000205, 80, "/admin/advanced", buffer, 2047};
    session::AuthState auth;
    EXPECT_EQ(build_request(arguments, auth), 49u);
    EXPECT_STREQ(buffer, "GET /admin/advanced HTTP/1.1\r\nHost: 192.0.2.5\r\n\r\n");
    EXPECT_EQ(auth.nonce_count, 0u);

    auth.user_name.assign("admin");
    auth.password.assign("pw");
    auth.realm.assign("VOQ");
    auth.nonce.assign("n");
    auth.qop.assign("auth");
    auth.nonce_count = 4;
    const ExchangeArguments upgrade{0,      23456, 0x0a000102, 80, "/admin/upgrade?tftp://10.0.0.1:69/voq1.bi1",
                                    buffer, 2047};
    build_request(upgrade, auth);
    EXPECT_EQ(auth.nonce_count, 5u);
    EXPECT_EQ(auth.digest_uri, "/admin/upgrade?tftp://10.0.0.1:69/voq1.bi1");
    const std::string request = buffer;
    EXPECT_EQ(request.rfind("GET /admin/upgrade?tftp://10.0.0.1:69/voq1.bi1 HTTP/1.1\r\nHost: 10.0.1.2\r\n"
                            "Authorization: Digest username=\"admin\",realm=\"VOQ\",nonce=\"n\","
                            "uri=\"/admin/upgrade?tftp://10.0.0.1:69/voq1.bi1\",",
                            0),
              0u);
    EXPECT_NE(request.find(",nc=000000005,"), std::string::npos);
    EXPECT_EQ(request.substr(request.size() - 5), "\"\r\n\r\n");
}

TEST(BuildRequest, NeverWritesPastTheBuffer)
{
    char buffer[33];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    const std::string long_path(500, 'p');
    session::AuthState auth;
    const ExchangeArguments arguments{0, 23456, 1, 80, long_path, buffer, 31};
    EXPECT_EQ(build_request(arguments, auth), 31u);
    EXPECT_EQ(buffer[31], '\0');
    EXPECT_EQ(buffer[32], 'x');
}

}  // namespace
}  // namespace voq::web
