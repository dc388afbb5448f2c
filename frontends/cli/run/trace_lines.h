#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record/run_report.h"

namespace voq::cli {

// How much the trace shows: -v the run's steps (phases, requests, answers, the
// system's reasons, a transfer's summary), -vv every packet besides.
enum class TraceDetail { none, steps, packets };

// The fact as the trace's lines, each led by what it is about ("run:", "http:",
// "tftp:"). Nothing for a fact of a detail the trace does not show: one transfer fact
// comes with every acknowledgement.
std::vector<std::string> trace_lines(const record::Fact& fact, TraceDetail detail);

// Whether a refused call was one of the HTTP exchange's (or else the TFTP server's).
bool is_http_call(record::Call call);

// A transfer in one line: blocks, bytes, retransmissions and how long it took.
std::string transfer_summary(const record::TransferCounters& transfer, std::uint32_t duration_ms);

// A step of the run that the program itself times ("connecting", "restart wait").
std::string phase_took_line(std::string_view phase, std::uint32_t duration_ms);

}  // namespace voq::cli
