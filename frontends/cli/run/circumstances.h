#pragma once

#include "record/likely_causes.h"

namespace voq::cli {

// What this PC tells beside the run's facts, for the likely causes of report: the
// netmask of its address, whether it runs as root, and, when asked, who holds UDP port
// 69. http_unanswered: the run gave up on a connected request after --http-timeout.
record::Circumstances circumstances_of(const record::RunReport& report, bool http_unanswered, bool port_69_holder);

}  // namespace voq::cli
