#pragma once

#include <string_view>

#include "record/facts.h"
#include "session/failure_codes.h"
#include "session/session.h"

namespace voq::ui {

// Hands the fact to the front-end, if there is one yet.
void note(session::Session& session, const record::Fact& fact);
// Whether the front-end wants packet facts; asked once a transfer.
bool notes_packets(const session::Session& session);

// Notes the failure, shows its text under the standard title and returns once the
// user has closed it.
void report_error(session::Session& session, session::Failure failure);

[[noreturn]] void end_process(session::Session& session);

// The one way a fatal failure leaves: the report, then the end of the process.
[[noreturn]] void fail(session::Session& session, session::Failure failure);

}  // namespace voq::ui
