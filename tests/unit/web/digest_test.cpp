#include "support/printers.h"
#include "web/digest.h"

#include <gtest/gtest.h>

#include <string>

namespace voq::web {
namespace {

std::string hex(std::string_view text) { return std::string(hex_view(md5_hex(md5(text)))); }

TEST(DigestResponse, Rfc2617Example)
{
    const Md5Hex response = digest_response({
        .algorithm = "",
        .user_name = "Mufasa",
        .realm = "testrealm@host.com",
        .password = "Circle Of Life",
        .nonce = "dcd98b7102dd2f0e8b11d0f600bfb0c093",
        .client_nonce = "0a4f113b",
        .nonce_count = "00000001",
        .method = "GET",
        .qop = "auth",
        .digest_uri = "/dir/index.html",
        .entity_body = "",
    });
    EXPECT_EQ(std::string(hex_view(response)), "6629fae49393a05397450978507c4ef1");
}

TEST(DigestResponse, SessionKeyHashesTheRawDigestInAnyLetterCase)
{
    std::string raw_key;
    for (const auto byte : md5("u:r:p")) raw_key.push_back(static_cast<char>(byte));
    const std::string session_key = hex(raw_key + ":n:c");
    const std::string expected = hex(session_key + ":n:" + hex("GET:/x"));
    for (const std::string_view algorithm : {"MD5-sess", "md5-sess", "MD5-SESS"}) {
        SCOPED_TRACE(algorithm);
        const Md5Hex response = digest_response({.algorithm = algorithm,
                                                 .user_name = "u",
                                                 .realm = "r",
                                                 .password = "p",
                                                 .nonce = "n",
                                                 .client_nonce = "c",
                                                 .method = "GET",
                                                 .digest_uri = "/x"});
        EXPECT_EQ(std::string(hex_view(response)), expected);
    }
    // Any other algorithm is the plain form.
    for (const std::string_view algorithm : {"", "MD5", "SHA-256", "md5-sess2"}) {
        SCOPED_TRACE(algorithm);
        const Md5Hex response = digest_response({.algorithm = algorithm,
                                                 .user_name = "u",
                                                 .realm = "r",
                                                 .password = "p",
                                                 .nonce = "n",
                                                 .method = "GET",
                                                 .digest_uri = "/x"});
        EXPECT_EQ(std::string(hex_view(response)), hex(hex("u:r:p") + ":n:" + hex("GET:/x")));
    }
}

TEST(DigestResponse, AuthIntHashesTheEmptyBodyIntoA2)
{
    const std::string a2 = hex("GET:/x:" + hex(""));
    for (const std::string_view qop : {"auth-int", "AUTH-INT"}) {
        const Md5Hex response = digest_response({.user_name = "u",
                                                 .realm = "r",
                                                 .password = "p",
                                                 .nonce = "n",
                                                 .client_nonce = "c",
                                                 .nonce_count = "000000001",
                                                 .method = "GET",
                                                 .qop = qop,
                                                 .digest_uri = "/x"});
        EXPECT_EQ(std::string(hex_view(response)), hex(hex("u:r:p") + ":n:000000001:c:" + std::string(qop) + ":" + a2));
    }
}

class ParseChallenge : public ::testing::Test {
protected:
    void SetUp() override { session::seed_random(random, 1); }  // client nonces 29, 4823, 18be
    session::AuthState auth;
    session::RandomSource random;
};

TEST_F(ParseChallenge, TakesEachQuotedParameterWhereverItStands)
{
    const std::string_view challenge =
        "WWW-Authenticate: Digest qop=\"auth\", opaque=\"op\", nonce=\"abc\", algorithm=\"MD5-sess\", "
        "realm=\"VOQ Device\"\r\nContent-Length: 0\r\n\r\n";
    ASSERT_EQ(parse_challenge(challenge, auth, random), Challenge::accepted);
    EXPECT_EQ(auth.realm, "VOQ Device");
    EXPECT_EQ(auth.nonce, "abc");
    EXPECT_EQ(auth.last_nonce, "abc");
    EXPECT_EQ(auth.qop, "auth");
    EXPECT_EQ(auth.algorithm, "MD5-sess");
    EXPECT_EQ(auth.opaque, "op");
    EXPECT_EQ(auth.client_nonce, "29");  // 41 in hexadecimal
}

TEST_F(ParseChallenge, RejectsWithoutRealmOrNonce)
{
    auth.realm.assign("old realm");
    auth.nonce.assign("old nonce");
    EXPECT_EQ(parse_challenge("WWW-Authenticate: Digest nonce=\"n\"", auth, random), Challenge::rejected);
    EXPECT_EQ(auth.realm, "old realm");
    EXPECT_EQ(auth.nonce, "old nonce");

    EXPECT_EQ(parse_challenge("WWW-Authenticate: Basic realm=\"device\"", auth, random), Challenge::rejected);
    EXPECT_EQ(auth.realm, "device");  // replaced before the nonce was looked for
    EXPECT_EQ(auth.nonce, "old nonce");
    EXPECT_TRUE(auth.client_nonce.empty());
}

TEST_F(ParseChallenge, ResetsTheNonceCountOnlyForANewNonce)
{
    ASSERT_EQ(parse_challenge("realm=\"r\" nonce=\"one\"", auth, random), Challenge::accepted);
    auth.nonce_count = 3;
    ASSERT_EQ(parse_challenge("realm=\"r\" nonce=\"one\"", auth, random), Challenge::accepted);
    EXPECT_EQ(auth.nonce_count, 3u);
    EXPECT_EQ(auth.client_nonce, "4823");  // a new client nonce all the same
    ASSERT_EQ(parse_challenge("realm=\"r\" nonce=\"two\"", auth, random), Challenge::accepted);
    EXPECT_EQ(auth.nonce_count, 0u);
    EXPECT_EQ(auth.last_nonce, "two");
}

TEST_F(ParseChallenge, AbsentOrUnquotedOptionalParametersAreEmpty)
{
    ASSERT_EQ(parse_challenge("realm=\"r\" nonce=\"n\" qop=\"auth\" algorithm=\"MD5\" opaque=\"o\"", auth, random),
              Challenge::accepted);
    ASSERT_EQ(parse_challenge("realm=\"r\", nonce=\"n\", qop=auth, algorithm=MD5", auth, random), Challenge::accepted);
    EXPECT_TRUE(auth.qop.empty());
    EXPECT_TRUE(auth.algorithm.empty());
    EXPECT_TRUE(auth.opaque.empty());
}

TEST_F(ParseChallenge, CutsValuesLongerThanTheirFields)
{
    const std::string long_value(300, 'v');
    const std::string challenge = "realm=\"" + long_value + "\" nonce=\"" + long_value + "\" qop=\"" + long_value +
                                  "\" algorithm=\"" + long_value + "\" opaque=\"" + long_value + "\"";
    ASSERT_EQ(parse_challenge(challenge, auth, random), Challenge::accepted);
    EXPECT_EQ(auth.realm.view(), long_value.substr(0, 127));
    EXPECT_EQ(auth.nonce.view(), long_value.substr(0, 127));
    EXPECT_EQ(auth.opaque.view(), long_value.substr(0, 127));
    EXPECT_EQ(auth.qop.view(), long_value.substr(0, 15));
    EXPECT_EQ(auth.algorithm.view(), long_value.substr(0, 15));
}

TEST_F(ParseChallenge, AValueRunsToTheEndOfTheTextWithoutItsClosingQuote)
{
    ASSERT_EQ(parse_challenge("realm=\"r\" nonce=\"unterminated", auth, random), Challenge::accepted);
    EXPECT_EQ(auth.nonce, "unterminated");
}

TEST(ChosenQop, PicksOneOptionFromAList)
{
    const struct {
        std::string stored;
        std::string chosen;
    } cases[] = {
        {"", ""},
        {"auth", "auth"},
        {"auth-int", "auth-int"},
        {"AUTH", "AUTH"},  // a single value goes out as it came
        {"auth,auth-int", "auth"},
        {"auth-int,auth", "auth"},
        {"auth-int, auth", "auth"},
        {"Auth-Int,token", "Auth-Int"},
        {"token,other", "token,other"},  // nothing known to choose: left as it came
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("qop \"" + c.stored + "\"");
        EXPECT_EQ(chosen_qop(c.stored), c.chosen);
    }
}

session::AuthState signed_state(std::string_view qop, std::string_view algorithm = "", std::string_view opaque = "")
{
    session::AuthState auth;
    auth.user_name.assign("admin");
    auth.password.assign("secret");
    auth.realm.assign("VOQ");
    auth.nonce.assign("n0nce");
    auth.client_nonce.assign("29");
    auth.qop.assign(qop);
    auth.algorithm.assign(algorithm);
    auth.opaque.assign(opaque);
    auth.digest_uri.assign("/admin/advanced");
    auth.nonce_count = 1;
    return auth;
}

TEST(AuthorizationLine, WithoutQopEndsAfterTheResponseOrOpaque)
{
    const std::string response = hex(hex("admin:VOQ:secret") + ":n0nce:" + hex("GET:/admin/advanced"));
    EXPECT_EQ(authorization_line(signed_state("")),
              "Authorization: Digest username=\"admin\",realm=\"VOQ\",nonce=\"n0nce\",uri=\"/admin/advanced\","
              "algorithm=\"\",response=\"" +
                  response + "\"\r\n");
    EXPECT_EQ(authorization_line(signed_state("", "MD5", "xyz")),
              "Authorization: Digest username=\"admin\",realm=\"VOQ\",nonce=\"n0nce\",uri=\"/admin/advanced\","
              "algorithm=\"MD5\",response=\"" +
                  response + "\",opaque=\"xyz\"\r\n");
}

TEST(AuthorizationLine, WithQopCarriesNineDigitCountAndClientNonce)
{
    session::AuthState auth = signed_state("auth", "", "xyz");
    auth.nonce_count = 0x1a;
    const std::string response =
        hex(hex("admin:VOQ:secret") + ":n0nce:00000001a:29:auth:" + hex("GET:/admin/advanced"));
    EXPECT_EQ(authorization_line(auth),
              "Authorization: Digest username=\"admin\",realm=\"VOQ\",nonce=\"n0nce\",uri=\"/admin/advanced\","
              "algorithm=\"\",response=\"" +
                  response + "\",opaque=\"xyz\",qop=auth,nc=00000001a,cnonce=\"29\"\r\n");
}

TEST(AuthorizationLine, AQopListIsAnsweredWithOneOption)
{
    const struct {
        std::string stored;
        std::string sent;
        std::string a2;
    } cases[] = {
        {"auth,auth-int", "auth", hex("GET:/admin/advanced")},
        {"auth-int,auth", "auth", hex("GET:/admin/advanced")},
        {"auth-int,other", "auth-int", hex("GET:/admin/advanced:" + hex(""))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        const session::AuthState auth = signed_state(c.stored);
        const std::string line = authorization_line(auth);
        EXPECT_NE(line.find(",qop=" + c.sent + ",nc=000000001,"), std::string::npos) << line;
        const std::string response = hex(hex("admin:VOQ:secret") + ":n0nce:000000001:29:" + c.sent + ":" + c.a2);
        EXPECT_NE(line.find("response=\"" + response + "\""), std::string::npos) << line;
        EXPECT_EQ(auth.qop.view(), c.stored);  // the stored qop stays as quoted
    }
}

}  // namespace
}  // namespace voq::web
