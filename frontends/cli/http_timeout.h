#pragma once

#include <cstdint>
#include <string>

#include "frontends/cli/exit_status.h"

namespace voq::cli {

// The request a connecting screen stands for, told by when and where it opens: before
// the upgrade is confirmed the status page; after it, on the sequence's own thread, the
// upgrade request; on the listener's thread the status page after the restart.
enum class HttpRequest { status_page, upgrade_request, status_after_restart };

HttpRequest request_on_screen(bool upgrade_confirmed, bool on_sequence_thread);

struct HttpTimeout {
    Outcome outcome;
    std::string message;  // names the request that got no answer
};

// How a run ends whose request got no answer within --http-timeout. After the firmware
// went out it is the device's restart that failed, not its first answer.
HttpTimeout http_timeout(HttpRequest request, std::uint32_t timeout_ms);

}  // namespace voq::cli
