#pragma once

#include <string_view>

namespace voq {

// The debug hook that receives the core's trace texts. Without one a trace costs an
// atomic load and no formatting: no shipped program installs one (the command line's
// --verbose lines are made from facts). The scripted harness installs one to put the
// texts into its transcript; a request goes there without its credentials. A formatted
// text is cut at 511 bytes, a text handed to trace_text never.
using TraceSink = void (*)(std::string_view text);

void set_trace_sink(TraceSink sink);

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void trace(const char* format, ...);

// For texts that may be long (a whole HTTP answer), handed over as they are.
void trace_text(std::string_view text);

}  // namespace voq
