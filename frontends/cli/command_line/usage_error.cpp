#include "frontends/cli/command_line/usage_error.h"

#include <cstdio>

#include "frontends/cli/run/record_json.h"

namespace voq::cli {

int report_usage_error(const std::string& text, bool json, const std::string& device, bool point_to_help)
{
    std::fprintf(stderr, "voq-upgrade-cli: %s\n%s", text.c_str(),
                 point_to_help ? "Run with --help for more information.\n" : "");
    std::fflush(stderr);
    if (json) {
        RunRecord record;
        record.device = device;
        record.outcome = Outcome::usage;
        record.message = text;
        std::printf("%s\n", record_json(record).c_str());
        std::fflush(stdout);
    }
    return exit_status_of(Outcome::usage);
}

}  // namespace voq::cli
