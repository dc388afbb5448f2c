#include "web/runner.h"

#include <algorithm>
#include <mutex>

#include "platform/clock.h"
#include "platform/thread.h"
#include "session/failure_codes.h"
#include "session/trace.h"
#include "ui/failure.h"
#include "ui/progress_screen.h"
#include "ui/screens.h"
#include "ui/views.h"
#include "web/connecting_bar.h"

namespace voq::web {

namespace {

// The password screen reads each field with a limit of 127 bytes, terminator included.
constexpr std::size_t credential_length = 126;

// Shared by the attempt and its worker, either of which may be left first: where a
// process performs several runs, a run ended elsewhere leaves the attempt while the
// exchange still goes on. The path is a copy for the same reason.
struct WorkerParameters {
    WorkerParameters(const ExchangeArguments& given, session::Session& run)
        : arguments(given), path(given.path), session(&run), owner(run.owner.lock())
    {
        arguments.path = path;
    }
    ExchangeArguments arguments;
    std::string path;
    session::Session* session;
    std::shared_ptr<void> owner;  // the run's memory, where a process performs several
};

// The credentials are named, never carried: the Auth state is read for whether the
// request will be signed, and by whom.
record::RequestFact request_fact(const ExchangeArguments& a, const session::AuthState& auth)
{
    record::RequestFact fact{a.local_address, a.local_port_base, a.device_address, a.device_port, request_line(a.path)};
    fact.kind = a.kind;
    fact.signed_request = !auth.password.empty();
    if (fact.signed_request) {
        fact.user_name = auth.user_name.view();
        fact.realm = auth.realm.view();
    }
    return fact;
}

int exchange(const WorkerParameters& parameters)
{
    const ExchangeArguments& a = parameters.arguments;
    session::Session& session = *parameters.session;
    trace("HTTP %x:%u to %x:%u", a.local_address, a.local_port_base, a.device_address, a.device_port);
    ui::note(session, request_fact(a, session.auth));
    const ExchangeResult result = http_exchange(a, {session.device_info, session.auth, session.random});
    if (result.refused) ui::note(session, *result.refused);
    if (result.fault == ExchangeFault::none)
        ui::note(session, record::AnswerFact{request_line(a.path), result.status_line, result.received, a.kind,
                                             record::status_code(result.status_line), result.value == -1});
    switch (result.fault) {
    case ExchangeFault::cannot_open_socket:
        ui::fail(session, session::Failure::cannot_open_http_socket);
    case ExchangeFault::cannot_bind_socket:
        ui::fail(session, session::Failure::cannot_bind_http_socket);
    case ExchangeFault::none:
        break;
    }
    return result.value;
}

// An ended run's answer is not read: 0, as for none.
int worker_entry(void* raw)
{
    const std::unique_ptr<std::shared_ptr<WorkerParameters>> parameters(
        static_cast<std::shared_ptr<WorkerParameters>*>(raw));
    try {
        return exchange(**parameters);
    } catch (const ui::RunEnded&) {
        return 0;
    }
}

// One turn of the connecting screen's loop: its input, then a wait until the worker
// ends or the turn is over (a front-end whose Cancel is read by pump at a human pace
// keeps no core busy while a device is slow to answer), and the bar by the clock.
void keep_alive(ui::ProgressScreen& connecting, ConnectingBar& bar, const platform::Thread* worker, unsigned wait_ms)
{
    const std::uint32_t started_ms = platform::milliseconds();
    connecting.pump(1);
    if (worker != nullptr) worker->wait_for(wait_ms);
    else platform::sleep_milliseconds(wait_ms);
    if (const auto shown = advance(bar, platform::milliseconds() - started_ms, connecting.turn_interval_ms()))
        connecting.set_position(*shown);
}

// One attempt: the exchange on a worker while this thread keeps the connecting
// screen alive and its bar climbing. An attempt that got no answer keeps its screen
// until unanswered_hold_ms have passed since it started.
int attempt(session::Session& session, const ExchangeArguments& arguments, ConnectingBar& bar,
            std::uint32_t unanswered_hold_ms)
{
    const auto parameters = std::make_shared<WorkerParameters>(arguments, session);
    ui::ProgressScreen connecting(session, ui::connecting_view(session));
    const unsigned turn_ms = connecting.turn_interval_ms();
    const std::uint32_t started_ms = platform::milliseconds();
    auto handed = std::make_unique<std::shared_ptr<WorkerParameters>>(parameters);
    platform::Thread worker = platform::Thread::start(worker_entry, handed.get());
    int answer = 0;
    if (worker.valid()) {
        handed.release();
        while (!worker.finished()) keep_alive(connecting, bar, &worker, turn_ms);
        answer = worker.result();
    } else {
        answer = exchange(*parameters);  // without a thread, the exchange runs here
    }
    while (answer == 0) {
        const std::uint32_t held_ms = platform::milliseconds() - started_ms;
        if (held_ms >= unanswered_hold_ms) break;
        keep_alive(connecting, bar, nullptr, std::min<std::uint32_t>(turn_ms, unanswered_hold_ms - held_ms));
    }
    connecting.close();
    return answer;
}

void ask_for_password(session::Session& session)
{
    const ui::PasswordAnswer answer = session.screens->show_password(ui::password_view());
    if (!answer.ok) ui::fail(session, session::Failure::password_not_given);
    session.auth.user_name.assign(std::string_view(answer.user_name).substr(0, credential_length));
    session.auth.password.assign(std::string_view(answer.password).substr(0, credential_length));
}

}  // namespace

ExchangeArguments device_request(session::Session& session, std::uint32_t local_address, std::uint32_t device_address,
                                 std::string_view path, record::RequestKind kind)
{
    return {local_address,
            first_local_port,
            device_address,
            device_web_port,
            path,
            session.response.data(),
            session::response_size_limit,
            kind};
}

int run_request(session::Session& session, const ExchangeArguments& arguments, std::uint32_t unanswered_hold_ms)
{
    // Two runs at once would write the one response buffer, Device info and Auth state.
    const std::lock_guard<std::mutex> one_at_a_time(session.request_mutex);
    ConnectingBar bar;
    int automatic_resends = 0;
    while (true) {
        const int result = attempt(session, arguments, bar, unanswered_hold_ms);
        if (result >= 0) return result;
        // A challenge. Signed under a nonce the device has since replaced (the count
        // was reset by the new one): send again once without asking.
        if (!session.auth.password.empty() && session.auth.nonce_count == 0 && automatic_resends == 0) {
            automatic_resends = 1;
            continue;
        }
        ask_for_password(session);
        automatic_resends = 0;
    }
}

}  // namespace voq::web
