#include "ui/progress_screen.h"

#include <algorithm>

#include "session/failure_codes.h"
#include "ui/failure.h"

namespace voq::ui {

ProgressScreen::ProgressScreen(session::Session& session, const ui::ProgressView& view)
    : session_(session), id_(session.screens->open_progress(view))
{
}

void ProgressScreen::set_caption(std::string_view caption) { session_.screens->set_progress_caption(id_, caption); }
void ProgressScreen::set_text(std::string_view text) { session_.screens->set_progress_text(id_, text); }
void ProgressScreen::set_range(int high) { session_.screens->set_progress_range(id_, high); }
void ProgressScreen::set_position(int position) { session_.screens->set_progress_position(id_, position); }

void ProgressScreen::pump(int max_messages)
{
    if (session_.screens->pump(id_, max_messages) == ui::Pump::quiet) return;
    close();
    fail(session_, session::Failure::user_abort);
}

// A turn of 0 would make every wait end at once.
unsigned ProgressScreen::turn_interval_ms() const { return std::max(1u, session_.screens->turn_interval_ms()); }

void ProgressScreen::close()
{
    if (!open_) return;
    open_ = false;
    session_.screens->close_progress(id_);
}

}  // namespace voq::ui
