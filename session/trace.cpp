#include "session/trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace voq {

namespace {
std::atomic<TraceSink> installed_sink{nullptr};
}

void set_trace_sink(TraceSink sink) { installed_sink.store(sink); }

void trace(const char* format, ...)
{
    const TraceSink sink = installed_sink.load();
    if (sink == nullptr) return;
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (length < 0) return;
    const auto kept =
        static_cast<std::size_t>(length) < sizeof text ? static_cast<std::size_t>(length) : sizeof text - 1;
    sink(std::string_view(text, kept));
}

void trace_text(std::string_view text)
{
    const TraceSink sink = installed_sink.load();
    if (sink != nullptr) sink(text);
}

}  // namespace voq
