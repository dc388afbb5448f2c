#pragma once

#include <string>
#include <string_view>

#include "frontends/cli/run/exit_status.h"
#include "record/facts.h"

namespace voq::cli {

// What --check and --if-needed ask of a run once the device's status page is read.
// upgrade_voq: upgrade, but only a device whose status page gives a version (an
// address of a range may be any web server).
enum class Mode { upgrade, check, if_needed, upgrade_voq };

struct StandingVerdict {
    bool upgrade = true;                  // go on to the confirmation and the upgrade request
    Outcome outcome = Outcome::upgraded;  // where it does not
    std::string message;
};

// The core's reading of the device's version, in the words of the mode; the versions
// are only quoted.
StandingVerdict standing_verdict(Mode mode, const record::StandingFact& fact, std::string_view device_version,
                                 std::string_view target_version);

}  // namespace voq::cli
