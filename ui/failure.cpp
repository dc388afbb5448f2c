#include "ui/failure.h"

#include "platform/process.h"
#include "ui/screens.h"
#include "ui/texts.h"

namespace voq::ui {

void note(session::Session& session, const record::Fact& fact)
{
    if (session.screens != nullptr) session.screens->note(fact);
}

bool notes_packets(const session::Session& session)
{
    return session.screens != nullptr && session.screens->notes_packets();
}

void report_error(session::Session& session, session::Failure failure)
{
    note(session, record::FailureFact{failure});
    session.screens->report_failure(failure, session::failure_text(failure), ui::text::error_title);
}

void end_process(session::Session& session)
{
    session.screens->end_process();
    // A front-end's end of the process never comes back; should one, the process ends anyway.
    platform::end_process();
}

void fail(session::Session& session, session::Failure failure)
{
    report_error(session, failure);
    end_process(session);
}

}  // namespace voq::ui
