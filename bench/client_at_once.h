#pragma once

#include <cstdint>

#include "sim/device_config.h"

namespace voq::bench {

// The simulated device's client as every benchmark uses it: no delay before its read
// request, no lingering after the last block, patience enough for a loaded machine.
inline sim::TftpConfig client_at_once(bool follow_new_port = false, std::uint32_t patience_ms = 3000)
{
    sim::TftpConfig client;
    client.request_delay_ms = 0;
    client.dally_ms = 0;
    client.patience_ms = patience_ms;
    client.follow_new_port = follow_new_port;
    return client;
}

}  // namespace voq::bench
