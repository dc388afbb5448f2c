// The simulated device's own check of a signed request: its MD5 and Digest against
// published answers and against the tool's implementation (two implementations
// agreeing, one of them on the RFCs' answers), and what a strict device refuses.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/authorization.h"
#include "sim/digest_reference.h"
#include "sim/md5_reference.h"
#include "support/rfc1321.h"
#include "web/digest.h"
#include "web/md5.h"

namespace voq::sim {
namespace {

TEST(DeviceMd5, RFC1321TestSuite)
{
    for (const auto& answer : test::rfc1321_suite) {
        SCOPED_TRACE(answer.message);
        EXPECT_EQ(md5_hex_of(answer.message), answer.digest);
    }
}

TEST(DeviceDigest, RFC2617Example)
{
    EXPECT_EQ(expected_digest_response({.algorithm = "",
                                        .user = "Mufasa",
                                        .realm = "testrealm@host.com",
                                        .password = "Circle Of Life",
                                        .nonce = "dcd98b7102dd2f0e8b11d0f600bfb0c093",
                                        .cnonce = "0a4f113b",
                                        .nc = "00000001",
                                        .qop = "auth",
                                        .method = "GET",
                                        .uri = "/dir/index.html"}),
              "6629fae49393a05397450978507c4ef1");
}

TEST(DeviceDigest, AgreesWithTheToolInEveryFormTheDeviceOffers)
{
    for (const char* algorithm : {"", "MD5", "md5", "MD5-sess", "md5-SESS"}) {
        for (const char* qop : {"", "auth", "auth-int", "AUTH-INT"}) {
            SCOPED_TRACE(std::string("algorithm \"") + algorithm + "\" qop \"" + qop + "\"");
            const std::string nc = *qop == '\0' ? "" : "00000002a";
            const std::string device = expected_digest_response({.algorithm = algorithm,
                                                                 .user = "admin",
                                                                 .realm = "VOQ Device",
                                                                 .password = "p\xe4ss:word",
                                                                 .nonce = "5f1d2c",
                                                                 .cnonce = "7fff",
                                                                 .nc = nc,
                                                                 .qop = qop,
                                                                 .method = "GET",
                                                                 .uri = "/admin/upgrade?tftp://10.0.0.5:69/voq1.bi1"});
            const web::Md5Hex tool = web::digest_response({.algorithm = algorithm,
                                                           .user_name = "admin",
                                                           .realm = "VOQ Device",
                                                           .password = "p\xe4ss:word",
                                                           .nonce = "5f1d2c",
                                                           .client_nonce = "7fff",
                                                           .nonce_count = nc,
                                                           .method = "GET",
                                                           .qop = qop,
                                                           .digest_uri = "/admin/upgrade?tftp://10.0.0.5:69/voq1.bi1",
                                                           .entity_body = ""});
            EXPECT_EQ(device, web::hex_view(tool));
        }
    }
}

// A signed request as a client would write it, every directive a knob.
struct Signed {
    std::string user = "admin";
    std::string realm = "VOQ Device";
    std::string nonce = "n1";
    std::string uri = "/admin/advanced";
    std::string algorithm = "\"\"";  // as written, quotes included; empty: left out
    std::string opaque = "\"op\"";
    std::string qop = "auth";
    std::string nc = "000000001";
    std::string cnonce = "\"c0ffee\"";
    std::string password = "secret";

    std::string header() const
    {
        const auto unquoted = [](std::string text) {
            if (text.size() >= 2 && text.front() == '"') text = text.substr(1, text.size() - 2);
            return text;
        };
        const std::string response = expected_digest_response({.algorithm = unquoted(algorithm),
                                                               .user = user,
                                                               .realm = realm,
                                                               .password = password,
                                                               .nonce = nonce,
                                                               .cnonce = unquoted(cnonce),
                                                               .nc = nc,
                                                               .qop = qop,
                                                               .method = "GET",
                                                               .uri = uri});
        std::string line = "Digest username=\"" + user + "\",realm=\"" + realm + "\",nonce=\"" + nonce + "\",uri=\"" +
                           uri + "\",response=\"" + response + "\"";
        if (!algorithm.empty()) line += ",algorithm=" + algorithm;
        if (!opaque.empty()) line += ",opaque=" + opaque;
        if (!qop.empty()) line += ",qop=" + qop + ",nc=" + nc + ",cnonce=" + cnonce;
        return line;
    }
};

DigestConfig challenge()
{
    DigestConfig config;
    config.enabled = true;
    config.password = "secret";
    config.qop = "auth";
    config.opaque = "op";
    return config;
}

TEST(VerifyAuthorization, AStrictDeviceRefusesWhatDoesNotGiveTheChallengeBack)
{
    struct Case {
        const char* fault;
        void (*change)(Signed&, DigestConfig&);
        Verdict strict;
        Verdict lenient;
    };
    const std::vector<Case> cases = {
        {"nothing wrong", [](Signed&, DigestConfig&) {}, Verdict::authorized, Verdict::authorized},
        {"opaque missing", [](Signed& s, DigestConfig&) { s.opaque.clear(); }, Verdict::refused, Verdict::authorized},
        {"opaque changed", [](Signed& s, DigestConfig&) { s.opaque = "\"po\""; }, Verdict::refused,
         Verdict::authorized},
        {"opaque never issued", [](Signed&, DigestConfig& c) { c.opaque.clear(); }, Verdict::refused,
         Verdict::authorized},
        {"realm changed", [](Signed& s, DigestConfig&) { s.realm = "VOQ"; }, Verdict::refused, Verdict::refused},
        {"nonce never issued", [](Signed& s, DigestConfig&) { s.nonce = "n9"; }, Verdict::refused, Verdict::refused},
        {"nonce issued, then replaced", [](Signed& s, DigestConfig&) { s.nonce = "n0"; }, Verdict::stale_nonce,
         Verdict::stale_nonce},
        {"uri other than the path", [](Signed& s, DigestConfig&) { s.uri = "/admin"; }, Verdict::refused,
         Verdict::refused},
        {"nc of eight digits", [](Signed& s, DigestConfig&) { s.nc = "00000001"; }, Verdict::refused,
         Verdict::authorized},
        {"nc not hexadecimal", [](Signed& s, DigestConfig&) { s.nc = "00000000g"; }, Verdict::refused,
         Verdict::authorized},
        {"qop not offered", [](Signed& s, DigestConfig&) { s.qop = "auth-int"; }, Verdict::refused, Verdict::refused},
        {"qop where none was offered", [](Signed&, DigestConfig& c) { c.qop.clear(); }, Verdict::refused,
         Verdict::refused},
        {"algorithm other than challenged",
         [](Signed& s, DigestConfig& c) {
             c.algorithm = "MD5-sess";
             s.algorithm = "MD5";
         },
         Verdict::refused, Verdict::refused},
        {"algorithm MD5 where none was named", [](Signed& s, DigestConfig&) { s.algorithm = "MD5"; },
         Verdict::authorized, Verdict::authorized},
        {"algorithm left out where none was named", [](Signed& s, DigestConfig&) { s.algorithm.clear(); },
         Verdict::authorized, Verdict::authorized},
        {"the algorithm challenged, in other letters",
         [](Signed& s, DigestConfig& c) {
             c.algorithm = "MD5-sess";
             s.algorithm = "\"md5-sess\"";
         },
         Verdict::authorized, Verdict::authorized},
        {"wrong password", [](Signed& s, DigestConfig&) { s.password = "secreT"; }, Verdict::refused, Verdict::refused},
    };
    for (const Case& test : cases) {
        for (const bool strict : {true, false}) {
            SCOPED_TRACE(std::string(test.fault) + (strict ? ", strict" : ", lenient"));
            Signed request;
            DigestConfig config = challenge();
            test.change(request, config);
            NonceBook nonces;
            nonces.issue("n0");
            nonces.issue("n1");
            const Judgement judgement =
                verify_authorization(request.header(), "GET", "/admin/advanced", config, nonces, strict);
            EXPECT_EQ(judgement.verdict, strict ? test.strict : test.lenient) << judgement.reason;
            EXPECT_EQ(judgement.reason.empty(), judgement.verdict == Verdict::authorized) << judgement.reason;
        }
    }
}

TEST(VerifyAuthorization, AStrictDeviceTakesEachCountOnceAndOnlyUpwards)
{
    const DigestConfig config = challenge();
    NonceBook nonces;
    nonces.issue("n1");
    const auto verdict = [&](const char* nc) {
        Signed request;
        request.nc = nc;
        return verify_authorization(request.header(), "GET", "/admin/advanced", config, nonces, true).verdict;
    };
    EXPECT_EQ(verdict("000000001"), Verdict::authorized);
    EXPECT_EQ(verdict("000000001"), Verdict::refused);  // the same count again
    EXPECT_EQ(verdict("000000003"), Verdict::authorized);
    EXPECT_EQ(verdict("000000002"), Verdict::refused);  // below the last
    nonces.issue("n2");
    Signed fresh;
    fresh.nonce = "n2";
    EXPECT_EQ(verify_authorization(fresh.header(), "GET", "/admin/advanced", config, nonces, true).verdict,
              Verdict::authorized);  // a new nonce counts from 1 again
}

}  // namespace
}  // namespace voq::sim
