#include "frontends/cli/run/standing.h"

#include "record/printable.h"

namespace voq::cli {

namespace {

std::string quoted(std::string_view version)
{
    const std::string shown = record::printable(version);
    return shown.empty() ? "no version" : shown;
}

}  // namespace

StandingVerdict standing_verdict(Mode mode, const record::StandingFact& fact, std::string_view device_version,
                                 std::string_view target_version)
{
    const bool not_current =
        fact.standing == record::Standing::outdated || fact.standing == record::Standing::other_build;
    const bool read = fact.standing != record::Standing::unreadable;
    if (mode == Mode::upgrade || (mode == Mode::if_needed && not_current) || (mode == Mode::upgrade_voq && read))
        return {};
    const std::string runs = "the device runs " + quoted(device_version);
    const std::string tools = "the tool's firmware " + quoted(target_version);
    const bool check = mode == Mode::check;
    const std::string upgraded = fact.transition_first ? "; a staged build would serve the transition image first"
                                                       : "; it would be upgraded directly";
    switch (fact.standing) {
    case record::Standing::unreadable:
        return {false, Outcome::unreadable,
                (check ? "Unreadable: " : "Not upgraded: ") + std::string("the device could not be read: ") +
                    (fact.status_code == 0 ? "its status page answered without a status code"
                                           : "its status page answered " + std::to_string(fact.status_code)) +
                    " and gave no version"};
    case record::Standing::other_build:
        return {false, Outcome::outdated, "Outdated: " + runs + ", another build than " + tools + upgraded};
    case record::Standing::current:
        return {false, Outcome::current, (check ? "Current: " : "Not upgraded: ") + runs + ", the version of " + tools};
    case record::Standing::newer:
        return {false, Outcome::newer, (check ? "Newer: " : "Not upgraded: ") + runs + ", later than " + tools};
    case record::Standing::outdated:
        break;
    }
    return {false, Outcome::outdated, "Outdated: " + runs + ", older than " + tools + upgraded};
}

}  // namespace voq::cli
