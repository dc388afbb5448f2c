#include "app/upgrade_trigger.h"

#include <cstdio>

#include "app/address_screen.h"
#include "tftp/listener.h"
#include "ui/screens.h"
#include "web/runner.h"

namespace voq::app {

namespace {

constexpr unsigned stage_poll_ms = 10;

// "/admin/upgrade?tftp://192.0.2.10:69/voq4d2.bi1": the file name gives the slash.
void send_upgrade_request(session::Session& session, std::uint16_t port)
{
    const std::uint32_t pc = session.selected_local_address;
    const FixedText<128> name = session.expected_file_name.get();
    char path[256];
    std::snprintf(path, sizeof path, "/admin/upgrade?tftp://%u.%u.%u.%u:%u%s", pc >> 24, (pc >> 16) & 255,
                  (pc >> 8) & 255, pc & 255, static_cast<unsigned>(port), name.c_str());
    // The device's answer says nothing about the upgrade; the TFTP request does.
    web::run_request(
        session, web::device_request(session, pc, session.device_address, path, record::RequestKind::upgrade_request));
}

// Nothing waits for this thread and the run ends on another, so it idles in long
// steps: waking every 10 ms cost a quarter of the waiting screen's CPU time.
[[noreturn]] void idle_until_the_end(session::Session& session)
{
    constexpr unsigned an_hour_ms = 3600u * 1000u;
    while (true) session.screens->idle(an_hour_ms);
}

}  // namespace

void run_upgrade_trigger(session::Session& session)
{
    const std::uint16_t port = tftp::start_listener(session, session.selected_local_address);
    send_upgrade_request(session, port);
    if (session.stage_flag.load() != 0) idle_until_the_end(session);

    // Staged mode: the listener turns the flag once the transition image is in.
    while (session.stage_flag.load() == 0) session.screens->idle(stage_poll_ms);
    // The new name is in place before the request that makes the device ask for it.
    session.expected_file_name.assign(expected_file_name(session, 1));
    send_upgrade_request(session, port);
    idle_until_the_end(session);
}

}  // namespace voq::app
