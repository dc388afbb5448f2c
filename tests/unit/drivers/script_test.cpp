#include "drivers/scripted/script.h"

#include <gtest/gtest.h>

#include <string>

#include "drivers/scripted/transcript.h"

namespace voq::ui::scripted {
namespace {

TEST(ParseScript, ReadsEveryKindOfLine)
{
    const auto parsed = parse_script(
        "# a comment\n\nlocal-addresses 127.0.60.1 10.0.0.2\r\nwarning continue\n"
        "address type \"1.2.3.4 \" select 2\naddress cancel\n"
        "password enter admin \"p\\\"w\"\nconfirm upgrade\nsuccess close\n"
        "cancel uploading opening 2 after 7\ncancel waiting after 1\n"
        "restart-wait-units 3\n");
    ASSERT_TRUE(std::holds_alternative<Script>(parsed)) << std::get<std::string>(parsed);
    const Script& script = std::get<Script>(parsed);
    EXPECT_EQ(*script.local_addresses, (std::vector<std::uint32_t>{0x7f003c01, 0x0a000002}));
    ASSERT_EQ(script.address.size(), 2u);
    EXPECT_EQ(script.address[0].typed, "1.2.3.4 ");
    EXPECT_EQ(*script.address[0].selection, 2);
    EXPECT_FALSE(script.address[1].affirmative);
    EXPECT_EQ(script.password[0].password, "p\"w");
    EXPECT_TRUE(script.confirm[0].affirmative);
    EXPECT_FALSE(script.success[0].affirmative);
    ASSERT_EQ(script.cancels.size(), 2u);
    EXPECT_EQ(script.cancels[0].template_id, 110);
    EXPECT_EQ(script.cancels[0].opening, 2);
    EXPECT_EQ(script.cancels[0].pump, 7);
    EXPECT_EQ(script.cancels[1].template_id, 114);
    EXPECT_EQ(*script.restart_wait_ms, 96u);
}

TEST(ParseScript, NamesTheLineOfAMistake)
{
    const struct {
        std::string text;
        std::string says;
    } cases[] = {
        {"warning continue\nwarning maybe\n", "line 2"},
        {"address type\n", "line 1"},
        {"address type 1.2.3.4 select x\n", "select N"},
        {"password enter admin\n", "line 1"},
        {"cancel printing after 3\n", "cancel connecting|waiting|uploading"},
        {"cancel waiting after 0\n", "from 1"},
        {"local-addresses 1.2.3\n", "not an IPv4 address"},
        {"address type \"open\n", "unbalanced quote"},
        {"confirm upgrade \"\\q\"\n", "bad escape"},
        {"dance\n", "unknown line"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = parse_script(c.text);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed));
        EXPECT_NE(std::get<std::string>(parsed).find(c.says), std::string::npos) << std::get<std::string>(parsed);
    }
}

TEST(Quoted, EscapesWhatTheScriptCanReadBack)
{
    const std::string text = "a \"b\"\\\r\n\t\x01\x7f\xe9 z";
    const std::string written = scripted::quoted(text);
    EXPECT_EQ(written, "\"a \\\"b\\\"\\\\\\r\\n\\t\\x01\\x7f\\xe9 z\"");
    const auto words = split_words(written);
    ASSERT_TRUE(words.has_value());
    ASSERT_EQ(words->size(), 1u);
    EXPECT_EQ((*words)[0], text);
}

}  // namespace
}  // namespace voq::ui::scripted
