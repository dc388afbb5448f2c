#include "ui/support_log.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/clock.h"
#include "platform/local_addresses.h"
#include "platform/private_file.h"
#include "record/likely_causes.h"
#include "record/run_report.h"

namespace voq::ui {

namespace {

constexpr std::string_view log_prefix = "voq-upgrade-";
constexpr std::string_view log_suffix = ".log";

struct Civil {
    long long year;
    unsigned month, day;
};

// Howard Hinnant's days-to-civil, for a clock that knows no calendar.
Civil civil_from_days(long long days)
{
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const auto day_of_era = static_cast<unsigned>(days - era * 146097);
    const unsigned year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const unsigned day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const unsigned shifted_month = (5 * day_of_year + 2) / 153;
    const unsigned day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
    const unsigned month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
    return {static_cast<long long>(year_of_era) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

struct Moment {
    Civil date;
    unsigned hour, minute, second, millisecond;
};

Moment moment_of(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const long long ms = duration_cast<milliseconds>(when.time_since_epoch()).count();
    const long long day_ms = 86400000;
    const long long days = (ms >= 0 ? ms : ms - day_ms + 1) / day_ms;
    const auto in_day = static_cast<unsigned>(ms - days * day_ms);
    return {civil_from_days(days), in_day / 3600000, in_day / 60000 % 60, in_day / 1000 % 60, in_day % 1000};
}

std::string seconds_between(std::uint32_t from_ms, std::uint32_t to_ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", (to_ms - from_ms) / 1000.0);
    return text;
}

std::string blocks_text(std::uint32_t blocks)
{
    return blocks == 0 ? "no block acknowledged" : "blocks 1-" + std::to_string(blocks) + " acknowledged";
}

// A log's place among the others: its start time as its name spells it, then its
// suffix, none counting as 1. Empty for a name this program does not make.
using LogOrder = std::pair<std::string, unsigned long>;

std::optional<LogOrder> log_order(std::string_view name)
{
    if (!name.starts_with(log_prefix) || !name.ends_with(log_suffix)) return std::nullopt;
    name = name.substr(log_prefix.size(), name.size() - log_prefix.size() - log_suffix.size());
    constexpr std::string_view shape = "99999999-999999-999";
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (name.size() < shape.size()) return std::nullopt;
    for (std::size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == '9' ? !digit(name[i]) : name[i] != shape[i]) return std::nullopt;
    const std::string_view suffix = name.substr(shape.size());
    const std::string start(name.substr(0, shape.size()));
    if (suffix.empty()) return LogOrder{start, 1};
    if (suffix.size() < 2 || suffix.size() > 6 || suffix[0] != '-' ||
        !std::all_of(suffix.begin() + 1, suffix.end(), digit))
        return std::nullopt;
    return LogOrder{start, std::stoul(std::string(suffix.substr(1)))};
}

}  // namespace

struct SupportLog::State {
    std::mutex mutex;
    platform::AppendFile file;
    std::filesystem::path path;
    std::uint32_t transfer_started_ms = 0;
    bool transferring = false;
    std::uint32_t retransmissions = 0;
    std::vector<record::Noted> facts;  // the run so far, for its likely causes
    bool causes_due = false;
    std::optional<std::vector<std::string>> owners_causes;

    // After the failure and the message the person saw, so that the log ends with them.
    void causes_locked()
    {
        if (!causes_due) return;
        causes_due = false;
        if (!owners_causes) {
            const record::RunReport report = record::fold_run(facts);
            owners_causes =
                record::likely_causes(report, record::Circumstances{platform::netmask_of(report.pc_address)});
        }
        for (const std::string& cause : *owners_causes) write_locked("Likely cause: " + cause);
    }

    // Each line reaches the system at once: a run killed after it keeps it.
    void write_locked(std::string_view text)
    {
        const std::string stamp = log_time(std::chrono::system_clock::now()) + " ";
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            const std::string line = stamp + std::string(text.substr(0, end)) + "\n";
            file.write(line);
            text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        }
    }

    // Every acknowledgement is a fact; the log keeps the transfer's start, each
    // retransmission with the blocks through before it, and its end.
    void transfer_locked(const record::TransferFact& fact)
    {
        const std::uint32_t now = platform::milliseconds();
        if (!transferring) {
            transferring = true;
            transfer_started_ms = now;
            retransmissions = 0;
            write_locked(std::string("Transfer of the ") + (fact.transition_image ? "transition" : "target") +
                         " image: " + std::to_string(fact.total) + " bytes");
        }
        if (fact.retransmissions != retransmissions) {
            retransmissions = fact.retransmissions;
            write_locked("Transfer: " + blocks_text(fact.blocks_acknowledged) + ", " +
                         (fact.awaited_block == 0 ? std::string("option acknowledgement")
                                                  : "block " + std::to_string(fact.awaited_block)) +
                         " sent again (" + std::to_string(retransmissions) + " retransmissions)");
        }
        if (fact.given_up || fact.acknowledged == fact.total) {
            transferring = false;
            write_locked(std::string(fact.given_up ? "Transfer given up: " : "Transfer complete: ") +
                         blocks_text(fact.blocks_acknowledged) + ", " + std::to_string(fact.acknowledged) + " of " +
                         std::to_string(fact.total) + " bytes, " + std::to_string(fact.retransmissions) +
                         " retransmissions, " + seconds_between(transfer_started_ms, now));
        }
    }
};

SupportLog::SupportLog() = default;
SupportLog::~SupportLog() = default;
SupportLog::SupportLog(SupportLog&&) noexcept = default;
SupportLog& SupportLog::operator=(SupportLog&&) noexcept = default;

SupportLog SupportLog::to_file(const std::filesystem::path& file)
{
    return writing_to(platform::open_private_file(file, false).file, file);
}

SupportLog SupportLog::writing_to(platform::AppendFile file, const std::filesystem::path& path)
{
    SupportLog log;
    if (!file.is_open()) return log;
    log.state_ = std::make_unique<State>();
    log.state_->file = std::move(file);
    log.state_->path = path;
    return log;
}

SupportLog SupportLog::in_folder(const std::filesystem::path& folder)
{
    if (folder.empty()) return {};
    if (!platform::make_private_folder(folder)) return {};
    std::error_code error;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    for (const std::string& name : logs_to_remove(std::move(names), support_logs_kept))
        std::filesystem::remove(folder / name, error);
    // Two runs started in one millisecond keep a file each: the name is taken by
    // making the file, which only one of them can do.
    const std::string first = support_log_name(std::chrono::system_clock::now());
    const std::string stem = first.substr(0, first.size() - log_suffix.size());
    for (int k = 1; k < 1000; ++k) {
        const std::string name = k == 1 ? first : stem + "-" + std::to_string(k) + std::string(log_suffix);
        platform::OpenedFile opened = platform::open_private_file(folder / name, true);
        if (!opened.already_there) return writing_to(std::move(opened.file), folder / name);
    }
    return {};
}

bool SupportLog::writing() const { return state_ != nullptr; }

std::filesystem::path SupportLog::path() const { return state_ ? state_->path : std::filesystem::path{}; }

void SupportLog::begin(std::string_view program, std::string_view version)
{
    if (!state_) return;
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->write_locked(std::string(program) + " " + std::string(version));
}

void SupportLog::note(const record::Fact& fact)
{
    if (!state_) return;
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->causes_locked();
    record::keep_fact(state_->facts, {platform::milliseconds(), fact});
    if (std::holds_alternative<record::FailureFact>(fact)) state_->causes_due = true;
    if (const auto* transfer = std::get_if<record::TransferFact>(&fact)) {
        state_->transfer_locked(*transfer);
        return;
    }
    state_->write_locked(record::fact_text(fact));
}

void SupportLog::set_likely_causes(std::vector<std::string> causes)
{
    if (!state_) return;
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->owners_causes = std::move(causes);
}

void SupportLog::shown(std::string_view text)
{
    if (!state_) return;
    std::string line = "Shown: ";
    for (const char c : text) line += c == '\r' ? ' ' : c == '\n' ? ' ' : c;
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->write_locked(line);
    state_->causes_locked();
}

std::string log_time(std::chrono::system_clock::time_point when)
{
    const Moment m = moment_of(when);
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02u:%02u:%02u.%03u", m.date.year, m.date.month, m.date.day,
                  m.hour, m.minute, m.second, m.millisecond);
    return text;
}

std::string support_log_name(std::chrono::system_clock::time_point start)
{
    const Moment m = moment_of(start);
    char text[64];
    std::snprintf(text, sizeof text, "%.*s%04lld%02u%02u-%02u%02u%02u-%03u%.*s", static_cast<int>(log_prefix.size()),
                  log_prefix.data(), m.date.year, m.date.month, m.date.day, m.hour, m.minute, m.second, m.millisecond,
                  static_cast<int>(log_suffix.size()), log_suffix.data());
    return text;
}

std::vector<std::string> logs_to_remove(std::vector<std::string> names, std::size_t kept)
{
    std::vector<std::pair<LogOrder, std::string>> logs;
    for (std::string& name : names)
        if (const auto order = log_order(name)) logs.emplace_back(*order, std::move(name));
    std::sort(logs.begin(), logs.end());
    const std::size_t room = kept == 0 ? 0 : kept - 1;
    if (logs.size() <= room) return {};
    std::vector<std::string> removed;
    for (std::size_t i = 0; i < logs.size() - room; ++i) removed.push_back(std::move(logs[i].second));
    return removed;
}

}  // namespace voq::ui
