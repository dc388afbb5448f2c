#include "ui/failure.h"

#include "platform/process.h"
#include "ui/screens.h"
#include "ui/texts.h"

namespace voq::ui {

void report_error(session::Session& session, std::string_view message)
{
    session.screens->report_error(message, ui::text::error_title);
}

void end_process(session::Session& session)
{
    session.screens->end_process();
    // A front-end's end of the process never comes back; should one, the process ends anyway.
    platform::end_process();
}

void fail(session::Session& session, std::string_view message)
{
    report_error(session, message);
    end_process(session);
}

}  // namespace voq::ui
