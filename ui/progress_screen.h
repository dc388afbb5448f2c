#pragma once

#include <climits>
#include <string_view>

#include "session/session.h"
#include "ui/screens.h"

namespace voq::ui {

inline constexpr int every_message = INT_MAX;

// A connecting, waiting or uploading screen, owned by the thread that opens it and
// closed when the object goes.
class ProgressScreen {
public:
    ProgressScreen(session::Session& session, const ui::ProgressView& view);
    ~ProgressScreen() { close(); }
    ProgressScreen(const ProgressScreen&) = delete;
    ProgressScreen& operator=(const ProgressScreen&) = delete;

    void set_caption(std::string_view caption);
    void set_text(std::string_view text);
    void set_range(int high);
    void set_position(int position);

    // Handles the screen's pending input. Cancel or the close box is the abort path:
    // the screen goes, "Upgrade Failed: User Abort" is reported, the process ends.
    void pump(int max_messages);
    unsigned turn_interval_ms() const;

    void close();

private:
    session::Session& session_;
    ui::ProgressId id_;
    bool open_ = true;
};

}  // namespace voq::ui
