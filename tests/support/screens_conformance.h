#pragma once

// Cases any front-end's screens can be run through: the calls the core makes, from the
// program's threads, as fast as the core makes them. A front-end's test links this
// header and runs each case of conformance_cases() against its own Screens, with a
// person of its own making the presses the case plans.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ui/screens.h"
#include "ui/texts.h"

namespace voq::test {

// Where the test's own thread waits until finished() holds: a toolkit turns its event
// loop there, and a person looks for the screens to press; a front-end without either
// may simply sleep.
using WaitOnTestThread = std::function<void(const std::function<bool()>& finished)>;

// What a person does to one screen or box, found by its caption once it shows: look
// only (it is open), type and press the affirmative button, or press Cancel (the
// close box where the screen has no Cancel). Presses are made in the order planned,
// each only on a screen that takes input at that moment.
enum class Button { look, affirmative, cancel };

struct Press {
    int template_id;  // 0 for a message box
    std::string caption;
    Button button;
    std::string typed = {};     // address: the text typed; password: the user name
    std::string password = {};  // password: the password typed
};

struct ConformanceCase {
    std::string name;
    std::vector<Press> presses;
    // What went wrong, one line each.
    std::function<std::vector<std::string>(ui::Screens&, const WaitOnTestThread&)> run;
};

// The screens' captions the cases use, unique so that a person tells the screens apart.
namespace captions {
inline constexpr const char* warning = "Conformance Firmware Upgrade";
inline constexpr const char* address = "Conformance Address";
inline constexpr const char* confirm = "Confirm Upgrade to Ver. conformance";
inline constexpr const char* success = "VOQ@192.0.2.2 Upgrade Successful!";
inline constexpr const char* error = "Conformance Error";
inline constexpr const char* connecting = "Connecting with VOQ@192.0.2.2";
}  // namespace captions

// Runs each piece of work on a program thread of its own and waits, on the test's
// thread, until all have returned.
inline void on_program_threads(const std::vector<std::function<void()>>& work, const WaitOnTestThread& wait)
{
    std::atomic<std::size_t> finished{0};
    std::vector<std::thread> threads;
    for (const auto& piece : work) {
        threads.emplace_back([&finished, &piece] {
            piece();
            ++finished;
        });
    }
    wait([&] { return finished.load() == work.size(); });
    for (std::thread& thread : threads) thread.join();
}

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
                problems.push_back("screen " + std::to_string(view.template_id) +
                                   ": a pump found a Cancel nobody pressed");
                break;
            }
        }
        screens.set_progress_range(screen, 40);
        screens.set_progress_text(screen, ui::text::uploading_notice);
        screens.set_progress_position(screen, 40);
        screens.close_progress(screen);
        ++finished;
    };
    std::thread wizard(program_thread,
                       ui::ProgressView{ui::templates::connecting, "Connecting with VOQ@192.0.2.2", "", 100});
    std::thread listener(program_thread,
                         ui::ProgressView{ui::templates::waiting, std::string(ui::text::waiting_caption),
                                          std::string(ui::text::waiting), 1000});
    wait([&] { return finished.load() == 2; });
    wizard.join();
    listener.join();
    return problems;
}

namespace cases {

inline ui::WarningView warning_view()
{
    return {ui::templates::warning, captions::warning, std::string(ui::text::warning)};
}
inline ui::ConfirmView confirm_view()
{
    return {ui::templates::confirm_direct,
            captions::confirm,
            std::string(ui::text::confirm),
            "SN0001",
            "00:0E:08:00:00:01",
            "1.0.0",
            "2.0",
            "VOQ conformance"};
}
inline ui::SuccessView success_view()
{
    return {ui::templates::success, captions::success, std::string(ui::text::success), "Version now", "2.0.0"};
}
inline ui::PasswordView password_view()
{
    return {ui::templates::password, std::string(ui::text::password_caption), std::string(ui::text::password_help),
            "admin"};
}
inline ui::AddressView address_view(std::vector<std::string> local_addresses)
{
    return {ui::templates::address_adapter,
            captions::address,
            std::string(ui::text::address_intro),
            std::string(ui::text::adapter_address_help),
            "Version conformance",
            std::move(local_addresses)};
}

// Each modal screen gives 1 for its affirmative button and 0 for Cancel or the close
// box, and the error box returns once its OK is pressed.
inline ConformanceCase modal_screens_give_their_buttons()
{
    return {"ModalScreensGiveTheirButtons",
            {{ui::templates::warning, captions::warning, Button::affirmative},
             {ui::templates::warning, captions::warning, Button::cancel},
             {ui::templates::confirm_direct, captions::confirm, Button::affirmative},
             {ui::templates::confirm_direct, captions::confirm, Button::cancel},
             {ui::templates::success, captions::success, Button::affirmative},
             {ui::templates::success, captions::success, Button::cancel},
             {0, captions::error, Button::affirmative}},
            [](ui::Screens& screens, const WaitOnTestThread& wait) {
                std::vector<int> results;
                bool reported = false;
                on_program_threads({[&] {
                                       results.push_back(screens.show_warning(warning_view()));
                                       results.push_back(screens.show_warning(warning_view()));
                                       results.push_back(screens.show_confirm(confirm_view()));
                                       results.push_back(screens.show_confirm(confirm_view()));
                                       results.push_back(screens.show_success(success_view()));
                                       results.push_back(screens.show_success(success_view()));
                                       screens.report_error("Upgrade Failed: conformance", captions::error);
                                       reported = true;
                                   }},
                                   wait);
                std::vector<std::string> problems;
                const std::vector<int> expected{1, 0, 1, 0, 1, 0};
                if (results != expected) {
                    std::string got;
                    for (int result : results) got += " " + std::to_string(result);
                    problems.push_back("warning, confirm, success gave" + got +
                                       " for press, Cancel, press, Cancel, ...");
                }
                if (!reported) problems.push_back("report_error did not return");
                return problems;
            }};
}

// The password screen hands back what was typed on OK, and nothing on Cancel.
inline ConformanceCase password_screen_hands_back_what_was_typed()
{
    const std::string caption(ui::text::password_caption);
    return {"PasswordScreenHandsBackWhatWasTyped",
            {{ui::templates::password, caption, Button::affirmative, "operator", "s3cret word"},
             {ui::templates::password, caption, Button::cancel}},
            [](ui::Screens& screens, const WaitOnTestThread& wait) {
                ui::PasswordAnswer given{}, cancelled{};
                on_program_threads({[&] {
                                       given = screens.show_password(password_view());
                                       cancelled = screens.show_password(password_view());
                                   }},
                                   wait);
                std::vector<std::string> problems;
                if (!given.ok || given.user_name != "operator" || given.password != "s3cret word")
                    problems.push_back("OK gave ok " + std::to_string(given.ok) + ", user \"" + given.user_name +
                                       "\" and a password " +
                                       (given.password == "s3cret word" ? "as typed" : "not as typed"));
                if (cancelled.ok || !cancelled.user_name.empty() || !cancelled.password.empty())
                    problems.push_back("Cancel gave ok " + std::to_string(cancelled.ok) + " or texts");
                return problems;
            }};
}

struct Offered {
    std::string typed;
    int selection;
    bool operator==(const Offered&) const = default;
};

inline std::string describe(const std::vector<Offered>& offered)
{
    std::string text;
    for (const Offered& one : offered) text += " (\"" + one.typed + "\", " + std::to_string(one.selection) + ")";
    return text.empty() ? " nothing" : text;
}

// A refused text leaves the screen open behind the box "Invalid IP Address", and the
// next OK offers the new text; the list's first entry is the selection.
inline ConformanceCase refused_address_keeps_the_screen_open()
{
    return {"RefusedAddressKeepsTheScreenOpen",
            {{ui::templates::address_adapter, captions::address, Button::affirmative, "192.0.2.2"},
             {0, std::string(ui::text::error_box_title), Button::affirmative},
             {ui::templates::address_adapter, captions::address, Button::affirmative, "192.0.2.3"}},
            [](ui::Screens& screens, const WaitOnTestThread& wait) {
                std::vector<Offered> offered;
                int result = -1;
                const auto accept = [&](std::string_view typed, int selection) {
                    offered.push_back({std::string(typed), selection});
                    return offered.size() == 2;
                };
                on_program_threads(
                    {[&] {
                        result = screens.show_address(address_view({"192.0.2.10", "198.51.100.10"}), accept);
                    }},
                    wait);
                std::vector<std::string> problems;
                if (result != 1) problems.push_back("the accepted text gave " + std::to_string(result));
                const std::vector<Offered> expected{{"192.0.2.2", 0}, {"192.0.2.3", 0}};
                if (offered != expected) problems.push_back("accept was offered" + describe(offered));
                return problems;
            }};
}

// With no local address the list has no selection, and Cancel offers nothing.
inline ConformanceCase address_without_local_addresses()
{
    return {"AddressWithoutLocalAddresses",
            {{ui::templates::address_adapter, captions::address, Button::affirmative, "192.0.2.4"},
             {ui::templates::address_adapter, captions::address, Button::cancel}},
            [](ui::Screens& screens, const WaitOnTestThread& wait) {
                std::vector<Offered> offered;
                std::vector<int> results;
                const auto accept = [&](std::string_view typed, int selection) {
                    offered.push_back({std::string(typed), selection});
                    return true;
                };
                on_program_threads({[&] {
                                       results.push_back(screens.show_address(address_view({}), accept));
                                       results.push_back(screens.show_address(address_view({}), accept));
                                   }},
                                   wait);
                std::vector<std::string> problems;
                if (results != std::vector<int>{1, 0}) problems.push_back("OK then Cancel did not give 1 then 0");
                const std::vector<Offered> expected{{"192.0.2.4", -1}};
                if (offered != expected) problems.push_back("accept was offered" + describe(offered));
                return problems;
            }};
}

// One thread's progress screen opens first; then another thread holds a modal screen
// or box open (hold), during which the person presses the progress screen's Cancel.
// Its owner's pump must report it. The problem, if any.
inline std::vector<std::string> cancelled_beside(ui::Screens& screens, const WaitOnTestThread& wait,
                                                 const ui::ProgressView& progress, const std::function<void()>& hold)
{
    std::atomic<bool> cancelled{false};
    std::atomic<bool> progress_open{false};
    on_program_threads({[&] {
                            // After the progress screen, so that the modal one finds it there to hold.
                            while (!progress_open) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                            hold();
                        },
                        [&] {
                            const ui::ProgressId screen = screens.open_progress(progress);
                            progress_open = true;
                            // Long enough for any person; the polls are a millisecond each, as the core's.
                            const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
                            for (int poll = 0; !cancelled && std::chrono::steady_clock::now() < give_up; ++poll) {
                                screens.set_progress_position(screen, poll % (progress.range_high + 1));
                                cancelled = screens.pump(screen, 1) == ui::Pump::cancelled;
                                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                            }
                            screens.close_progress(screen);
                        }},
                       wait);
    if (cancelled) return {};
    return {"\"" + progress.caption + "\": its Cancel was never reported while the other thread's screen was open"};
}

// A modal screen holds its own thread's windows only: while the wizard thread's
// password screen is open, the listener thread's waiting screen still takes its Cancel.
inline ConformanceCase modal_screen_holds_only_its_own_thread()
{
    const std::string password(ui::text::password_caption);
    const std::string waiting(ui::text::waiting_caption);
    return {"ModalScreenHoldsOnlyItsOwnThread",
            {{ui::templates::password, password, Button::look},
             {ui::templates::waiting, waiting, Button::cancel},
             {ui::templates::password, password, Button::affirmative, "admin", "pw"}},
            [waiting](ui::Screens& screens, const WaitOnTestThread& wait) {
                return cancelled_beside(screens, wait,
                                        {ui::templates::waiting, waiting, std::string(ui::text::waiting), 1000},
                                        [&] { screens.show_password(password_view()); });
            }};
}

// The error box is task-modal: while the listener thread reports its failure, the
// wizard thread's connecting screen still takes its Cancel.
inline ConformanceCase error_box_holds_only_its_own_thread()
{
    return {"ErrorBoxHoldsOnlyItsOwnThread",
            {{0, captions::error, Button::look},
             {ui::templates::connecting, captions::connecting, Button::cancel},
             {0, captions::error, Button::affirmative}},
            [](ui::Screens& screens, const WaitOnTestThread& wait) {
                return cancelled_beside(screens, wait, {ui::templates::connecting, captions::connecting, "", 100},
                                        [&] { screens.report_error("Upgrade Failed: conformance", captions::error); });
            }};
}

// A screen's handle after its close is inert: every call on it returns at once, its
// pump finds nothing, and a screen still open is not disturbed.
inline ConformanceCase closed_screen_is_inert()
{
    return {"ClosedScreenIsInert", {}, [](ui::Screens& screens, const WaitOnTestThread& wait) {
                std::vector<std::string> problems;
                on_program_threads({[&] {
                                       const ui::ProgressId open = screens.open_progress(
                                           {ui::templates::connecting, captions::connecting, "", 100});
                                       const ui::ProgressId closed = screens.open_progress(
                                           {ui::templates::uploading, std::string(ui::text::uploading_caption),
                                            std::string(ui::text::uploading_notice), 100});
                                       screens.close_progress(closed);
                                       screens.set_progress_caption(closed, "after its close");
                                       screens.set_progress_text(closed, "after its close");
                                       screens.set_progress_range(closed, 7);
                                       screens.set_progress_position(closed, 3);
                                       if (screens.pump(closed, 10) != ui::Pump::quiet)
                                           problems.push_back("a closed screen's pump found a Cancel");
                                       screens.close_progress(closed);
                                       if (screens.pump(open, 10) != ui::Pump::quiet)
                                           problems.push_back("the open screen's pump found a Cancel");
                                       screens.close_progress(open);
                                   }},
                                   wait);
                return problems;
            }};
}

}  // namespace cases

inline std::vector<ConformanceCase> conformance_cases()
{
    return {{"ProgressScreensFromTwoThreads", {}, progress_screens_from_two_threads},
            cases::modal_screens_give_their_buttons(),
            cases::password_screen_hands_back_what_was_typed(),
            cases::refused_address_keeps_the_screen_open(),
            cases::address_without_local_addresses(),
            cases::modal_screen_holds_only_its_own_thread(),
            cases::error_box_holds_only_its_own_thread(),
            cases::closed_screen_is_inert()};
}

// The one case that ends its process, for a death test: end_process from the wizard's
// thread while the listener's thread holds its waiting screen and waits without end,
// as in a blocking socket call. The process must end with the front-end's status,
// neither waiting for that thread nor running its destructors.
[[noreturn]] inline void end_process_while_another_thread_holds_a_screen(ui::Screens& screens)
{
    std::mutex mutex;
    std::condition_variable opened;
    bool holding = false;
    std::thread listener([&] {
        screens.open_progress(
            {ui::templates::waiting, std::string(ui::text::waiting_caption), std::string(ui::text::waiting), 1000});
        std::unique_lock<std::mutex> hold(mutex);
        holding = true;
        opened.notify_all();
        opened.wait(hold, [] { return false; });
    });
    {
        std::unique_lock<std::mutex> hold(mutex);
        opened.wait(hold, [&] { return holding; });
    }
    std::thread wizard([&] { screens.end_process(); });
    wizard.join();
    std::abort();  // end_process returned
}

// A failing case is told by its name, not its bytes.
inline void PrintTo(const ConformanceCase& tested, std::ostream* out) { *out << tested.name; }

// For INSTANTIATE_TEST_SUITE_P: each case named as itself.
inline std::string case_name(const ConformanceCase& tested) { return tested.name; }

}  // namespace voq::test
