#pragma once

#include <cstdio>

#include "bench/transfer_runs.h"

namespace voq::bench {

struct ReportSettings {
    bool quick = false;  // a few small runs: shows the benchmark works, measures nothing
    std::FILE* out = stdout;
};

// Runs and prints, as Markdown tables: the shipped image size through both servers,
// the growth with the image size, and the cost of the waiting screens' polling.
// False when any fetch came back incomplete or altered.
bool report_transfers(const Servers& servers, const ReportSettings& settings);

}  // namespace voq::bench
