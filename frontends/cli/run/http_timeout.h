#pragma once

#include <cstdint>
#include <string>

#include "frontends/cli/run/exit_status.h"
#include "record/facts.h"

namespace voq::cli {

struct HttpTimeout {
    Outcome outcome;
    std::string message;  // names the request that got no answer
};

// How a run ends whose request, of the kind its fact gave, got no answer within
// --http-timeout. After the firmware went out it is the device's restart that failed,
// not its first answer.
HttpTimeout http_timeout(record::RequestKind request, std::uint32_t timeout_ms);

}  // namespace voq::cli
