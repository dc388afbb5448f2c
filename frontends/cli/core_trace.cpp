#include "frontends/cli/core_trace.h"

#include <atomic>

#include "frontends/cli/trace_lines.h"
#include "session/trace.h"

namespace voq::cli {

namespace {

std::atomic<Console*> tracing_console{nullptr};

void into_console(std::string_view text)
{
    Console* const console = tracing_console.load();
    if (console == nullptr) return;
    if (const auto line = core_trace_line(text)) console->trace(*line);
}

}  // namespace

void trace_core_into(Console& console)
{
    tracing_console.store(&console);
    set_trace_sink(into_console);
}

}  // namespace voq::cli
