#include "drivers/scripted/scripted_screens.h"

#include "drivers/scripted/descriptors.h"
#include "platform/process.h"
#include "ui/texts.h"

namespace voq::ui::scripted {

namespace {

std::string number(int value) { return std::to_string(value); }

}  // namespace

ScriptedScreens::ScriptedScreens(Script script, Transcript& transcript) : out_(transcript), script_(std::move(script))
{
}

ModalAnswer ScriptedScreens::next_answer(std::deque<ModalAnswer>& queue, int template_id)
{
    const std::lock_guard<std::mutex> hold(mutex_);
    if (queue.empty()) {
        out_.line("note " + quoted("no answer left in the script for screen " + number(template_id) + ": Cancel"));
        return ModalAnswer{};
    }
    ModalAnswer answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

void ScriptedScreens::open(int template_id, std::string_view caption)
{
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        ++openings_[template_id];
    }
    out_.line("open " + number(template_id) + " " + quoted(caption));
}

void ScriptedScreens::field(int template_id, int control, std::string_view value)
{
    out_.line("field " + number(template_id) + " " + number(control) + " " + quoted(value));
}

int ScriptedScreens::close(int template_id, bool affirmative)
{
    out_.line("press " + number(template_id) + " " + number(affirmative ? controls::affirmative : controls::cancel));
    out_.line("close " + number(template_id) + (affirmative ? " 1" : " 0"));
    return affirmative ? 1 : 0;
}

int ScriptedScreens::show_warning(const WarningView& view)
{
    open(view.template_id, view.caption);
    field(view.template_id, controls::warning_text, view.text);
    out_.line("focus " + number(view.template_id) + " " + number(controls::cancel));
    return close(view.template_id, next_answer(script_.warning, view.template_id).affirmative);
}

int ScriptedScreens::show_address(const AddressView& view,
                                  const std::function<bool(std::string_view typed, int selection)>& accept)
{
    const int id = view.template_id;
    open(id, view.caption);
    field(id, controls::text_pane, view.intro);
    field(id, controls::address_help, view.help);
    field(id, controls::version_line, view.version_line);
    std::string list = "list " + number(id) + " " + number(controls::local_addresses);
    for (const std::string& address : view.local_addresses) list += " " + quoted(address);
    out_.line(list);
    const int first = view.local_addresses.empty() ? -1 : 0;
    out_.line("select " + number(id) + " " + number(controls::local_addresses) + " " + number(first));
    field(id, controls::device_address, "");
    out_.line("focus " + number(id) + " " + number(controls::device_address));
    while (true) {
        const ModalAnswer answer = next_answer(script_.address, id);
        if (!answer.affirmative) return close(id, false);
        out_.line("type " + number(id) + " " + number(controls::device_address) + " " + quoted(answer.typed));
        int selection = first;
        if (answer.selection) {
            // A drop-down list only offers its own entries.
            if (*answer.selection >= 0 && static_cast<std::size_t>(*answer.selection) < view.local_addresses.size())
                selection = *answer.selection;
            out_.line("choose " + number(id) + " " + number(controls::local_addresses) + " " + number(selection));
        }
        out_.line("press " + number(id) + " " + number(controls::affirmative));
        if (accept(answer.typed, selection)) {
            out_.line("close " + number(id) + " 1");
            return 1;
        }
        out_.line("message " + quoted(text::error_box_title) + " " + quoted(text::invalid_address));
        out_.line("focus " + number(id) + " " + number(controls::device_address));
    }
}

PasswordAnswer ScriptedScreens::show_password(const PasswordView& view)
{
    const int id = view.template_id;
    open(id, view.caption);
    field(id, controls::text_pane, view.help);
    field(id, controls::user_name, view.user_name);
    field(id, controls::password, "");
    out_.line("focus " + number(id) + " " + number(controls::password));
    const ModalAnswer answer = next_answer(script_.password, id);
    if (!answer.affirmative) {
        close(id, false);
        return {false, {}, {}};
    }
    out_.line("type " + number(id) + " " + number(controls::user_name) + " " + quoted(answer.typed));
    out_.line("type " + number(id) + " " + number(controls::password) + " " + quoted(answer.password));
    close(id, true);
    return {true, answer.typed, answer.password};
}

int ScriptedScreens::show_confirm(const ConfirmView& view)
{
    const int id = view.template_id;
    open(id, view.caption);
    for (const auto& [control, text] : confirm_fields(view)) field(id, control, text);
    const int result = close(id, next_answer(script_.confirm, id).affirmative);
    if (result == 1 && script_.descriptors_run_out_after_confirm)
        out_.line(run_out_of_descriptors() ? "descriptors run out" : "descriptors cannot run out here");
    return result;
}

int ScriptedScreens::show_success(const SuccessView& view)
{
    const int id = view.template_id;
    open(id, view.caption);
    field(id, controls::text_pane, view.text);
    out_.line("static " + number(id) + " " + quoted(view.version_label));
    field(id, controls::version_now, view.version);
    return close(id, next_answer(script_.success, id).affirmative);
}

ProgressId ScriptedScreens::open_progress(const ProgressView& view)
{
    open(view.template_id, view.caption);
    ProgressId screen = 0;
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        screen = next_progress_++;
        progress_[screen] = {view.template_id, openings_[view.template_id], 0, 0};
    }
    if (view.template_id == templates::waiting) field(view.template_id, controls::waiting_text, view.text);
    if (view.template_id == templates::uploading)
        out_.line("static " + number(view.template_id) + " " + quoted(view.text));
    out_.line("range " + number(view.template_id) + " " + number(controls::progress_bar) + " 0 " +
              number(view.range_high));
    return screen;
}

int ScriptedScreens::template_of(ProgressId screen)
{
    const std::lock_guard<std::mutex> hold(mutex_);
    const auto found = progress_.find(screen);
    return found == progress_.end() ? 0 : found->second.template_id;
}

void ScriptedScreens::set_progress_caption(ProgressId screen, std::string_view caption)
{
    out_.line("caption " + number(template_of(screen)) + " " + quoted(caption));
}

void ScriptedScreens::set_progress_text(ProgressId screen, std::string_view text)
{
    field(template_of(screen), controls::waiting_text, text);
}

void ScriptedScreens::set_progress_range(ProgressId screen, int high)
{
    out_.line("range " + number(template_of(screen)) + " " + number(controls::progress_bar) + " 0 " + number(high));
}

void ScriptedScreens::set_progress_position(ProgressId screen, int position)
{
    const std::lock_guard<std::mutex> hold(mutex_);
    const auto found = progress_.find(screen);
    if (found != progress_.end()) found->second.position = position;
}

Pump ScriptedScreens::pump(ProgressId screen, int)
{
    int template_id = 0;
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        const auto found = progress_.find(screen);
        if (found == progress_.end()) return Pump::quiet;
        OpenProgress& open = found->second;
        ++open.pumps;
        bool cancel = false;
        for (const CancelPlan& plan : script_.cancels)
            cancel = cancel ||
                     (plan.template_id == open.template_id && plan.opening == open.opening && plan.pump == open.pumps);
        if (!cancel) return Pump::quiet;
        template_id = open.template_id;
    }
    out_.line("press " + number(template_id) + " " + number(controls::cancel));
    return Pump::cancelled;
}

void ScriptedScreens::close_progress(ProgressId screen)
{
    OpenProgress closed{};
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        const auto found = progress_.find(screen);
        if (found == progress_.end()) return;
        closed = found->second;
        progress_.erase(found);
    }
    out_.line("close " + number(closed.template_id) + " position " + number(closed.position));
}

void ScriptedScreens::report_error(std::string_view message, std::string_view title)
{
    out_.line("message " + quoted(title) + " " + quoted(message));
}

void ScriptedScreens::end_process()
{
    out_.line("end-process");
    platform::end_process();
}

}  // namespace voq::ui::scripted
