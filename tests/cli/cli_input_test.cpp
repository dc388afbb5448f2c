// What the command-line program accepts from the person or script that runs it, and
// what it tells them back: pure rules, by table.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>

#include "cli_run.h"
#include "frontends/cli/command_line/ipv4_text.h"
#include "frontends/cli/command_line/options.h"
#include "frontends/cli/fleet/devices_file.h"
#include "frontends/cli/fleet/fleet.h"
#include "frontends/cli/run/exit_status.h"
#include "frontends/cli/run/http_timeout.h"
#include "frontends/cli/run/record_json.h"
#include "frontends/cli/terminal/console.h"
#include "frontends/cli/terminal/interruption.h"
#include "frontends/cli/terminal/password_file.h"
#include "frontends/cli/terminal/progress_line.h"
#include "frontends/cli/terminal/yes_no.h"
#include "support/files.h"
#include "ui/views.h"

namespace voq::cli {
namespace {

TEST(StrictIpv4, FourPlainDecimalsAndADevicesAddress)
{
    const struct {
        const char* text;
        std::uint32_t address;
        const char* problem;
    } cases[] = {
        {"10.1.0.13", 0x0a01000d, ""},
        {"255.255.255.254", 0xfffffffe, ""},
        {"1.0.0.0", 0x01000000, ""},
        {"10.1.0.013", 0, "not an IPv4 address: 10.1.0.013"},  // octal to some tools
        {"10.1.0.00", 0, "not an IPv4 address: 10.1.0.00"},
        {"10*1*0*13", 0, "not an IPv4 address: 10*1*0*13"},
        {"10,1,0,13", 0, "not an IPv4 address: 10,1,0,13"},
        {"10.1.0.13.", 0, "not an IPv4 address: 10.1.0.13."},
        {".10.1.0.13", 0, "not an IPv4 address: .10.1.0.13"},
        {"10.1..13", 0, "not an IPv4 address: 10.1..13"},
        {"10.1.0", 0, "not an IPv4 address: 10.1.0"},
        {"10.1.0.13.4", 0, "not an IPv4 address: 10.1.0.13.4"},
        {"10.1.0.256", 0, "not an IPv4 address: 10.1.0.256"},
        {"10.1.0.1000", 0, "not an IPv4 address: 10.1.0.1000"},
        {" 10.1.0.13", 0, "not an IPv4 address:  10.1.0.13"},
        {"10.1.0.+3", 0, "not an IPv4 address: 10.1.0.+3"},
        {"", 0, "not an IPv4 address: "},
        {"0.0.0.0", 0, "not a device's address: 0.0.0.0"},
        {"255.255.255.255", 0, "a broadcast address, not a device's: 255.255.255.255"},
        {"224.0.0.1", 0, "a multicast address, not a device's: 224.0.0.1"},
        {"239.255.255.255", 0, "a multicast address, not a device's: 239.255.255.255"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ParsedIpv4 parsed = parse_strict_ipv4(c.text);
        EXPECT_EQ(parsed.address, c.address);
        EXPECT_EQ(parsed.problem, c.problem);
    }
    // A long text is named in part: a message stays a line.
    EXPECT_LT(parse_strict_ipv4(std::string(10000, '1')).problem.size(), 100u);
}

TEST(SubnetAddressProblem, TheSubnetsOwnAddressesAreNoDevices)
{
    const std::uint32_t pc = 0xc0a80105;  // 192.168.1.5
    const struct {
        std::uint32_t device;
        std::optional<std::uint32_t> netmask;
        const char* problem;
    } cases[] = {
        {0xc0a801ff, 0xffffff00, "the broadcast address of the PC's subnet, not a device's: 192.168.1.255"},
        {0xc0a80100, 0xffffff00, "the network address of the PC's subnet, not a device's: 192.168.1.0"},
        {0xc0a800ff, 0xfffffe00, ""},  // a /23: .0.255 and .1.0 are hosts
        {0xc0a80100, 0xfffffe00, ""},
        {0xc0a801ff, 0xfffffe00, "the broadcast address of the PC's subnet, not a device's: 192.168.1.255"},
        {0xc0a803ff, 0xfffffe00, ""},  // another subnet: not the PC's to judge
        {0xc0a80104, 0xfffffffe, ""},  // a /31 has no broadcast
        {0xc0a801ff, std::nullopt, ""},
        {0xc0a8010d, 0xffffff00, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(subnet_address_problem(c.device, pc, c.netmask), c.problem) << ui::dotted(c.device);
}

TEST(SecondsProblem, OnlyFiniteNumbersInTheRange)
{
    const struct {
        const char* text;
        bool accepted;
    } cases[] = {
        {"0", true},         {"60", true},     {"0.5", true},  {"86400", true}, {"1e3", true},   {"86400.5", false},
        {"-1", false},       {"nan", false},   {"NaN", false}, {"-nan", false}, {"inf", false},  {"-inf", false},
        {"infinity", false}, {"1e999", false}, {"", false},    {"5s", false},   {"0x10", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(seconds_problem(c.text, 86400).empty(), c.accepted) << seconds_problem(c.text, 86400);
    }
    EXPECT_EQ(timeout_ms(0), 0u);
    EXPECT_EQ(timeout_ms(0.0001), 1u);  // however short, a limit
    EXPECT_EQ(timeout_ms(60), 60000u);
}

TEST(IsYes, OneRuleForEveryQuestion)
{
    for (const char* yes : {"y", "Y", "yes", "YES", "Yes", " y ", "yes\t"}) EXPECT_TRUE(is_yes(yes)) << yes;
    for (const char* no : {"", "n", "no", "N", "ye", "yess", "y es", "j", "1", "true", "ok"})
        EXPECT_FALSE(is_yes(no)) << no;
}

TEST(PasswordFile, TheFirstLineOrAReasonToRefuse)
{
    const struct {
        const char* contents;
        const char* password;
        const char* problem;
        bool warned;
    } cases[] = {
        {"s3cret\n", "s3cret", "", false},
        {"s3cret", "s3cret", "", false},
        {"s3cret\r\nsecond line\n", "s3cret", "", false},
        {"\xEF\xBB\xBF"
         "s3cret\n",
         "s3cret", "", false},
        {"p\xc3\xa4ss\n", "p\xe4ss", "", false},
        {"s3cret \n", "s3cret ", "", true},
        {"s3cret\t\n", "s3cret\t", "", true},
        {"", "", "the password file F is empty", false},
        {"\xEF\xBB\xBF", "", "the password file F is empty", false},
        {"\nsecond\n", "", "the first line of the password file F is empty", false},
        {"\r\n", "", "the first line of the password file F is empty", false},
        {"\xe2\x82\xac\n", "", "F: ", false},  // € has no byte the device takes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.contents);
        const PasswordFromFile read = password_of_file_contents(c.contents, "F");
        EXPECT_EQ(read.password, c.password);
        EXPECT_TRUE(read.problem.starts_with(c.problem)) << read.problem;
        EXPECT_EQ(read.problem.empty(), std::string(c.problem).empty());
        EXPECT_EQ(!read.warning.empty(), c.warned) << read.warning;
        EXPECT_EQ((read.warning + read.problem).find("s3cret"), std::string::npos) << "a message holds the password";
    }
}

TEST(PasswordArgument, RefusedWithoutItsValue)
{
    const struct {
        std::vector<std::string> arguments;
        const char* named;
    } cases[] = {
        {{"10.0.0.2", "--password", "x"}, "--password"},
        {{"--password=x", "10.0.0.2"}, "--password"},
        {{"-p", "x", "10.0.0.2"}, "-p"},
        {{"-px", "10.0.0.2"}, "-p"},
        {{"-yvpx", "10.0.0.2"}, "-p"},
        {{"--request-timeout", "-1", "10.0.0.2"}, ""},
        {{"--yes", "10.0.0.2"}, ""},
        {{"--password-file", "-p", "10.0.0.2"}, ""},  // a file of that name
        {{"--user", "-password", "10.0.0.2"}, ""},
        {{"--parallel", "3", "--devices", "list"}, ""},
        {{"--", "-p"}, ""},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv{const_cast<char*>("voq-upgrade-cli")};
        for (const std::string& argument : c.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        EXPECT_EQ(password_argument(static_cast<int>(argv.size()), argv.data()), c.named) << c.arguments.front();
    }
}

TEST(FitToColumns, NeverReachesTheLastColumn)
{
    const std::string line = "Uploading Target Firmware to VOQ@127.0.210.2: 734916 of 734916 bytes, 100%, 230 kB/s";
    ASSERT_EQ(line.size(), 84u);
    const struct {
        std::size_t columns;
        std::size_t length;
    } cases[] = {{0, 84},
                 {1, 84},
                 {85, 84},
                 {200, 84},
                 {40, 39},
                 // Cut where a field ends, the rate left out whole: "..., 100%".
                 {80, 74},
                 {84, 74},
                 {75, 68},
                 {64, 63},
                 {20, 19}};
    for (const auto& c : cases) EXPECT_EQ(fit_to_columns(line, c.columns).size(), c.length) << c.columns;
    EXPECT_EQ(fit_to_columns(line, 80), "Uploading Target Firmware to VOQ@127.0.210.2: 734916 of 734916 bytes, 100%");
    // Never half a character: "ä" is two bytes, and the cut falls between them.
    EXPECT_EQ(fit_to_columns("ab\xc3\xa4"
                             "cd",
                             4),
              "ab");
}

TEST(TimeOfDay, CarriesTheDate)
{
    const std::string stamp = time_of_day();
    ASSERT_EQ(stamp.size(), 23u) << stamp;  // 2026-12-08 12:34:56.789
    EXPECT_EQ(stamp[4], '-');
    EXPECT_EQ(stamp[10], ' ');
    EXPECT_EQ(stamp[19], '.');
}

TEST(HttpTimeout, NamesTheRequestThatGotNoAnswer)
{
    const struct {
        record::RequestKind request;
        Outcome outcome;
        const char* named;
    } cases[] = {
        {record::RequestKind::status_page, Outcome::no_response,
         "to the status page request (GET /admin/advanced) within 2.5 s"},
        {record::RequestKind::upgrade_request, Outcome::no_response,
         "to the upgrade request (GET /admin/upgrade?tftp://...) within 2.5 s"},
        {record::RequestKind::reread, Outcome::no_answer_after_restart,
         "after its restart (GET /admin/advanced) within 2.5 s"},
    };
    for (const auto& c : cases) {
        const HttpTimeout timeout = http_timeout(c.request, 2500);
        EXPECT_EQ(timeout.outcome, c.outcome);
        EXPECT_NE(timeout.message.find(c.named), std::string::npos) << timeout.message;
        EXPECT_TRUE(timeout.message.starts_with("Upgrade Failed: ")) << timeout.message;
    }
}

TEST(Interruption, EachSignalItsStatus)
{
    const struct {
        int signal;
        int status;
    } cases[] = {{2, 130}, {15, 143}, {1, 129}};
    std::set<std::string_view> messages;
    for (const auto& c : cases) {
        EXPECT_EQ(exit_status_of(interruption_of(c.signal).outcome), c.status);
        messages.insert(interruption_of(c.signal).message);
    }
    EXPECT_EQ(messages.size(), 3u);
}

TEST(RecordJson, UnknownsAreNull)
{
    RunRecord record;
    record.device = "10.0.0.2";
    record.outcome = Outcome::no_response;
    record.message = "Upgrade Failed: No Response From VOQ";
    const auto object = nlohmann::json::parse(record_json(record));
    for (const char* unknown :
         {"pc_address", "port", "product", "mac_address", "serial_number", "version_before", "version_after"})
        EXPECT_TRUE(object[unknown].is_null()) << unknown;
    EXPECT_EQ(object["bytes"], 0);
    const auto back = parse_record_json(record_json(record));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->device, "10.0.0.2");
    EXPECT_EQ(back->port, 0u);
    EXPECT_EQ(back->product, "");
}

TEST(SummaryTable, AReasonForEachFailureAndTheTotals)
{
    std::vector<RunRecord> records(4);
    const char* devices[] = {"10.0.0.2", "10.0.0.3", "10.0.0.4", "10.0.0.5"};
    const Outcome outcomes[] = {Outcome::upgraded, Outcome::no_response, Outcome::upgraded, Outcome::password};
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i].device = devices[i];
        records[i].outcome = outcomes[i];
        records[i].message = "reason " + std::to_string(i);
    }
    const std::string table = summary_table(records);
    EXPECT_NE(table.find("10.0.0.3  no-response  -             0.0  reason 1\n"), std::string::npos) << table;
    EXPECT_NE(table.find("10.0.0.2  upgraded     -             0.0\n"), std::string::npos) << table;
    EXPECT_EQ(table.find("reason 0"), std::string::npos) << "an upgraded device has no reason";
    EXPECT_TRUE(table.ends_with("4 devices: 2 upgraded, 1 no-response, 1 password\n")) << table;
}

TEST(TransferSummaryLine, BytesSecondsAndRateOrWhereItStopped)
{
    const std::string head = uploading_head(false, "10.1.0.13");
    EXPECT_EQ(transfer_summary_line(head, {734916, 734916}, 3200),
              "Uploading Target Firmware to VOQ@10.1.0.13: 734916 bytes in 3.2 s, 230 kB/s");
    EXPECT_EQ(transfer_summary_line(head, {358400, 734916}, 12000),
              "Uploading Target Firmware to VOQ@10.1.0.13: transfer stopped at 358400 of 734916 bytes after 12.0 s");
}

// Its speed is measured in voq-bench-fleet; here, that a repeat far down is found.
TEST(DevicesFile, ARepeatAmongAHundredThousandLinesIsFound)
{
    std::string contents;
    for (std::uint32_t i = 0; i < 100000; ++i)
        contents += "10." + std::to_string(i >> 16 & 0xff) + "." + std::to_string(i >> 8 & 0xff) + "." +
                    std::to_string(i & 0xff) + "\n";
    contents += "10.0.0.0\n";  // line 1 again
    const DevicesList list = parse_devices(contents, "admin");
    EXPECT_EQ(list.problem, "line 100001: 10.0.0.0 is listed already on line 1");
    contents.resize(contents.size() - 9);
    EXPECT_EQ(parse_devices(contents, "admin").devices.size(), 100000u);
}

// Each status and outcome name, in the table's order: what the manual page and the
// block marked exit-statuses (README.md or docs/) must list, entry for entry.
using StatusRows = std::vector<std::pair<int, std::string>>;

StatusRows table_rows()
{
    StatusRows rows;
    for (const OutcomeEntry& entry : outcome_table()) rows.emplace_back(entry.status, std::string(entry.name));
    return rows;
}

StatusRows rows_matching(const std::string& text, const std::regex& row)
{
    StatusRows rows;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), row); match != std::sregex_iterator(); ++match)
        rows.emplace_back(std::stoi((*match)[1].str()), (*match)[2].str());
    return rows;
}

std::string manual_section(const std::string& manual, const std::string& heading)
{
    const std::size_t start = manual.find(".SH " + heading + "\n");
    if (start == std::string::npos) return "";
    return manual.substr(start, manual.find("\n.SH ", start + 1) - start);
}

// The blocks between the markers in the README and in every page of docs/, wherever
// the reference happens to live.
std::vector<std::string> marked_blocks(const std::string& name)
{
    const std::filesystem::path readme = VOQ_README;
    std::vector<std::filesystem::path> pages{readme};
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(readme.parent_path() / "docs", error))
        if (entry.path().extension() == ".md") pages.push_back(entry.path());
    std::vector<std::string> blocks;
    const std::string open = "<!-- " + name + " -->", close = "<!-- /" + name + " -->";
    for (const auto& page : pages) {
        const std::string text = test::read_file(page);
        for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1))
            blocks.push_back(text.substr(at, text.find(close, at) - at));
    }
    return blocks;
}

// The exit statuses are written once, in the outcome table: --help is made from it,
// and the manual page and the command-line reference must say the same, in the same order.
TEST(ExitStatuses, HelpManualPageAndReadmeFollowTheTable)
{
    const std::string help = exit_status_help();
    for (const OutcomeEntry& entry : outcome_table()) {
        SCOPED_TRACE(std::string(entry.name));
        EXPECT_NE(help.find("  " + std::to_string(entry.status) + " "), std::string::npos) << help;
        EXPECT_NE(help.find(std::string(entry.meaning)), std::string::npos) << help;
    }
    const std::string manual = manual_section(test::read_file(VOQ_CLI_MANUAL_PAGE), "EXIT STATUS");
    EXPECT_EQ(rows_matching(manual, std::regex(R"(\.TP\n\.B (\d+)\n\\fB([a-z-]+)\\fR:)")), table_rows())
        << "the manual page's EXIT STATUS";
    const std::vector<std::string> blocks = marked_blocks("exit-statuses");
    ASSERT_EQ(blocks.size(), 1u) << "one block marked exit-statuses, in README.md or docs/*.md";
    EXPECT_EQ(rows_matching(blocks[0], std::regex(R"(\n\| (\d+) \| `([a-z-]+)` \|)")), table_rows());
}

std::set<std::string> matches(const std::string& text, const std::regex& pattern)
{
    std::set<std::string> found;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), pattern); match != std::sregex_iterator(); ++match)
        found.insert((*match)[1].str());
    return found;
}

// Each option's entry in --help, its lines joined: "--user" -> " NAME the device's ...".
std::map<std::string, std::string> help_entries(const std::string& help)
{
    std::map<std::string, std::string> entries;
    const std::regex entry(R"(\n  (?:-[a-z], )?(--[a-z-]+)((?:[^\n]|\n {3,})*))");
    for (auto match = std::sregex_iterator(help.begin(), help.end(), entry); match != std::sregex_iterator(); ++match)
        entries[(*match)[1].str()] = std::regex_replace((*match)[2].str(), std::regex(R"(\s+)"), " ");
    return entries;
}

// What the completion offers after words, for the word being typed.
std::set<std::string> completed(const std::string& words, const std::string& typed)
{
    const std::string script = "source '" + std::string(VOQ_CLI_COMPLETION) + "'; COMP_WORDS=(voq-upgrade-cli " +
                               words + " " + typed + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _voq_upgrade_cli; " +
                               "printf '%s\\n' \"${COMPREPLY[@]}\"";
    std::set<std::string> offered;
    FILE* shell = ::popen(("bash -c '" + std::regex_replace(script, std::regex("'"), "'\\''") + "'").c_str(), "r");
    if (shell == nullptr) return offered;
    char line[256];
    while (std::fgets(line, sizeof line, shell) != nullptr) offered.insert(std::string(line, std::strcspn(line, "\n")));
    ::pclose(shell);
    return offered;
}

// The options are defined once, in the program: the completion offers each that --help
// lists but those an option already typed rules out, and the manual page describes each
// but --help itself.
TEST(Options, CompletionAndManualPageFollowTheHelp)
{
    const test::CliRun help = test::run_cli({"--help"});
    ASSERT_EQ(help.status, 0) << help.err;
    const std::map<std::string, std::string> entries = help_entries(help.out);
    std::set<std::string> options;
    for (const auto& [option, entry] : entries) options.insert(option);
    ASSERT_TRUE(options.contains("--local-address")) << help.out;
    const std::string completion = test::read_file(VOQ_CLI_COMPLETION);
    const std::size_t offered = completion.find("compgen -W \"");
    ASSERT_NE(offered, std::string::npos);
    EXPECT_EQ(
        matches(completion.substr(offered, completion.find('"', offered + 13) - offered), std::regex(R"((--[a-z-]+))")),
        options);
    for (const auto& [option, entry] : entries) {
        const bool takes_value = std::regex_search(entry, std::regex("^ [A-Z]+ "));
        const std::set<std::string> after = completed(option + (takes_value ? " x" : ""), "--");
        const std::set<std::string> ruled_out = matches(entry, std::regex(R"(; not with (--[a-z-]+))"));
        for (const std::string& other : options)
            EXPECT_EQ(after.contains(other), !ruled_out.contains(other)) << "after " << option << ": " << other;
    }
    std::string manual = manual_section(test::read_file(VOQ_CLI_MANUAL_PAGE), "OPTIONS");
    manual = std::regex_replace(manual, std::regex(R"(\\-)"), "-");
    options.erase("--help");
    EXPECT_EQ(matches(manual, std::regex(R"(\.TP\n\.B[IR]? (?:-[a-z] ", " )?(--[a-z-]+))")), options);

    // Each default --help shows is the one the manual page gives.
    for (const auto& [option, entry] : entries) {
        std::smatch given;
        if (!std::regex_search(entry, given, std::regex(R"(\(default ([^ )]+)\))"))) continue;
        const std::string value = given[1].str();
        const std::size_t start = manual.find(".TP\n.BI " + option + " ");
        ASSERT_NE(start, std::string::npos) << option;
        std::string text = manual.substr(start, manual.find("\n.TP", start + 1) - start);
        text = std::regex_replace(std::regex_replace(text, std::regex(R"(\n\.BR? )"), " "), std::regex("\n"), " ");
        const std::size_t at = text.find("(default " + value);
        const std::size_t after = at + 9 + value.size();
        EXPECT_TRUE(at != std::string::npos && after < text.size() &&
                    !std::isalnum(static_cast<unsigned char>(text[after])))
            << option << "=" << value << ": " << text;
    }
}

// --help fits the terminal, 80 columns elsewhere, in the program's words.
TEST(Options, HelpFitsTheTerminalInTheProgramsWords)
{
    const struct {
        unsigned short columns;  // 0: no terminal
        std::size_t widest;
    } cases[] = {{0, 80}, {60, 60}, {132, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.columns);
        const test::CliRun help =
            c.columns == 0 ? test::run_cli({"--help"}) : test::run_cli_on_terminal({"--help"}, {}, 60000, c.columns);
        ASSERT_EQ(help.status, 0) << help.out;
        std::size_t widest = 0;
        std::istringstream lines(std::regex_replace(help.out, std::regex("\r"), ""));
        for (std::string line; std::getline(lines, line);) widest = std::max(widest, line.size());
        EXPECT_LE(widest, c.widest) << help.out;
        EXPECT_GT(widest, c.widest - 12) << "the room is used";
        for (const char* words : {"Excludes", "required", "Print this help message"})
            EXPECT_EQ(help.out.find(words), std::string::npos) << words;
        EXPECT_NE(help.out.find("Exit status:"), std::string::npos);
    }
}

// Every outcome name, status and field of the JSON is in the schema, the summary's as
// well as a device's, every field in the manual page.
TEST(JsonSchema, ListsEveryOutcomeAndField)
{
    const auto whole = nlohmann::json::parse(test::read_file(VOQ_CLI_SCHEMA));
    const auto& schema = whole["oneOf"][0];
    const auto& summary = whole["oneOf"][1]["properties"]["summary"]["properties"];
    const std::string manual = test::read_file(VOQ_CLI_MANUAL_PAGE);
    std::set<std::string> names;
    for (const OutcomeEntry& entry : outcome_table()) names.insert(std::string(entry.name));
    std::set<int> statuses;
    for (const OutcomeEntry& entry : outcome_table()) statuses.insert(entry.status);
    for (const auto* outcome_enum :
         {&schema["properties"]["outcome"]["enum"], &summary["outcomes"]["propertyNames"]["enum"]})
        EXPECT_EQ(outcome_enum->get<std::set<std::string>>(), names);
    for (const auto* status_enum : {&schema["properties"]["status"]["enum"], &summary["status"]["enum"]})
        EXPECT_EQ(status_enum->get<std::set<int>>(), statuses);
    RunRecord record;
    const auto object = nlohmann::json::parse(record_json(record));
    for (const auto& [field, value] : object.items()) {
        EXPECT_TRUE(schema["properties"].contains(field)) << field;
        EXPECT_NE(manual.find(".B " + field + "\n"), std::string::npos) << "the manual page lacks the field " << field;
    }
    EXPECT_EQ(schema["properties"].size(), object.size());
}

}  // namespace
}  // namespace voq::cli
