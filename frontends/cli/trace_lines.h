#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace voq::cli {

// A trace text of the core made fit for a person's eyes: the hexadecimal addresses of
// the core's own texts dotted ("HTTP 7f000001:23456" becomes "HTTP 127.0.0.1:23456"),
// the Digest response of an Authorization line hidden, carriage returns dropped, one
// entry a line, empty lines left out.
std::vector<std::string> readable_trace_lines(std::string_view text);

// The port of "TFTP listening on ADDRESS:PORT", the listener's trace line; 0 for any other.
unsigned listening_port(std::string_view text);

}  // namespace voq::cli
