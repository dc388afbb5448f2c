#pragma once

#include <string_view>

#include "session/auth_state.h"
#include "session/device_info.h"
#include "session/fixed_text.h"
#include "session/random_source.h"

namespace voq::web {

enum class ResponseStatus { not_http11, no_status_code, ok, challenge, other };

// What a received answer is. A 401 is a challenge only when its "WWW-Authenticate:"
// header carries a Digest challenge that parse_challenge accepts, which stores it in
// auth; every other answer, whatever its status, counts as the device's response.
ResponseStatus classify_response(std::string_view response, session::AuthState& auth, session::RandomSource& random);

// The status code of an answer's status line ("HTTP/1.1 404 Not Found" gives 404),
// whatever its HTTP version; 0 when it has none.
int status_code(std::string_view response);

// The text after label and the run of markup tags behind it, up to the next '<'.
// The field is left as it was when the label or the tags' end cannot be found.
void extract_label(std::string_view response, std::string_view label, FixedText<128>& field);

// The five fields of the status page, each kept where the page lacks its label.
void extract_device_info(std::string_view response, session::DeviceInfo& info);

}  // namespace voq::web
