#pragma once

#include <string_view>

#include "session/failure_codes.h"
#include "session/session.h"
#include "ui/facts.h"

namespace voq::ui {

// Hands the fact to the front-end, if there is one yet.
void note(session::Session& session, const Fact& fact);

// Notes the failure, shows its text under the standard title and returns once the
// user has closed it.
void report_error(session::Session& session, session::Failure failure);

[[noreturn]] void end_process(session::Session& session);

// The one way a fatal failure leaves: the report, then the end of the process.
[[noreturn]] void fail(session::Session& session, session::Failure failure);

}  // namespace voq::ui
