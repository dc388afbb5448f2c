#include "frontends/cli/http_timeout.h"

#include <cstdio>

namespace voq::cli {

HttpRequest request_on_screen(bool upgrade_confirmed, bool on_sequence_thread)
{
    if (!upgrade_confirmed) return HttpRequest::status_page;
    return on_sequence_thread ? HttpRequest::upgrade_request : HttpRequest::status_after_restart;
}

HttpTimeout http_timeout(HttpRequest request, std::uint32_t timeout_ms)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g s", timeout_ms / 1000.0);
    const std::string within = std::string(" within ") + seconds + " (--http-timeout)";
    switch (request) {
    case HttpRequest::upgrade_request:
        return {Outcome::no_response,
                "Upgrade Failed: No answer from VOQ to the upgrade request (GET /admin/upgrade?tftp://...)" + within};
    case HttpRequest::status_after_restart:
        return {
            Outcome::no_answer_after_restart,
            "Upgrade Failed: No answer from VOQ to the status page request after its restart (GET /admin/advanced)" +
                within};
    case HttpRequest::status_page:
        break;
    }
    return {Outcome::no_response,
            "Upgrade Failed: No answer from VOQ to the status page request (GET /admin/advanced)" + within};
}

}  // namespace voq::cli
