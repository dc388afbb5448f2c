#pragma once

#include <string_view>

namespace voq {

// The debug hook that receives the program's trace texts. The product installs no
// sink, so every text is discarded unformatted; the scripted front-end installs one
// to put the texts into its transcript.
using TraceSink = void (*)(std::string_view text);

void set_trace_sink(TraceSink sink);

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void trace(const char* format, ...);

// For texts that may be long (a whole HTTP answer), handed over as they are.
void trace_text(std::string_view text);

}  // namespace voq
