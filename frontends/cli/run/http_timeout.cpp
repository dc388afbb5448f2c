#include "frontends/cli/run/http_timeout.h"

#include <cstdio>

namespace voq::cli {

HttpTimeout http_timeout(record::RequestKind request, std::uint32_t timeout_ms)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g s", timeout_ms / 1000.0);
    const std::string within = std::string(" within ") + seconds + " (--http-timeout)";
    switch (request) {
    case record::RequestKind::upgrade_request:
        return {Outcome::no_response,
                "Upgrade Failed: No answer from VOQ to the upgrade request (GET /admin/upgrade?tftp://...)" + within};
    case record::RequestKind::reread:
        return {
            Outcome::no_answer_after_restart,
            "Upgrade Failed: No answer from VOQ to the status page request after its restart (GET /admin/advanced)" +
                within};
    case record::RequestKind::status_page:
        break;
    }
    return {Outcome::no_response,
            "Upgrade Failed: No answer from VOQ to the status page request (GET /admin/advanced)" + within};
}

}  // namespace voq::cli
