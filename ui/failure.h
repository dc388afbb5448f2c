#pragma once

#include <string_view>

#include "session/session.h"

namespace voq::ui {

// Shows message under the standard title and returns once the user has closed it.
void report_error(session::Session& session, std::string_view message);

[[noreturn]] void end_process(session::Session& session);

// The one way a fatal failure leaves: the report, then the end of the process.
[[noreturn]] void fail(session::Session& session, std::string_view message);

}  // namespace voq::ui
