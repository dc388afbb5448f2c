#pragma once

// Cases any front-end's screens can be run through: the calls the core makes, from the
// program's threads, as fast as the core makes them. A front-end's test links this
// header and runs each case against its own Screens.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui/screens.h"
#include "ui/texts.h"

namespace voq::test {

// Where the test's own thread waits until finished() holds: a toolkit turns its event
// loop there; a front-end without one may simply sleep.
using WaitOnTestThread = std::function<void(const std::function<bool()>& finished)>;

// Two program threads at once, as the wizard's connecting screen and the listener's
// waiting screen: each opens its progress screen, sets the position a few thousand
// times with a caption every tenth step and a pump after each step, changes range and
// text, and closes it. Every pump must find nothing (no user pressed anything) and
// every call return, so that both threads finish. What went wrong, one line each.
inline std::vector<std::string> progress_screens_from_two_threads(ui::Screens& screens, const WaitOnTestThread& wait)
{
    constexpr int steps = 3000;
    std::mutex mutex;
    std::vector<std::string> problems;
    std::atomic<int> finished{0};
    const auto program_thread = [&](ui::ProgressView view) {
        const ui::ProgressId screen = screens.open_progress(view);
        for (int step = 0; step < steps; ++step) {
            screens.set_progress_position(screen, step % (view.range_high + 1));
            if (step % 10 == 0) screens.set_progress_caption(screen, view.caption + " " + std::to_string(step));
            if (screens.pump(screen, 1) != ui::Pump::quiet) {
                const std::lock_guard<std::mutex> hold(mutex);
                problems.push_back("screen " + std::to_string(view.template_id) + ": a pump found a Cancel nobody pressed");
                break;
            }
        }
        screens.set_progress_range(screen, 40);
        screens.set_progress_text(screen, ui::text::uploading_notice);
        screens.set_progress_position(screen, 40);
        screens.close_progress(screen);
        ++finished;
    };
    std::thread wizard(program_thread, ui::ProgressView{ui::templates::connecting, "Connecting with VOQ@192.0.2.2", "", 100});
    std::thread listener(program_thread, ui::ProgressView{ui::templates::waiting, std::string(ui::text::waiting_caption),
                                                          std::string(ui::text::waiting), 1000});
    wait([&] { return finished.load() == 2; });
    wizard.join();
    listener.join();
    return problems;
}

}  // namespace voq::test
