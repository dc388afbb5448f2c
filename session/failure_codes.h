#pragma once

#include <array>
#include <string_view>

#include "session/messages.h"

namespace voq::session {

// Why a run failed, beside the message a person reads. Some codes share a text: the
// person is told the same, a script or a support log can tell them apart.
enum class Failure {
    winsock_init,
    firmware_missing,
    no_response,                // to the status page, before anything was changed
    no_response_after_restart,  // to the re-reads after the transfer
    user_abort,                 // Cancel on a progress screen
    password_not_given,         // Cancel on the password screen
    upgrade_declined,           // Cancel on the confirm screen
    cannot_open_http_socket,
    cannot_bind_http_socket,
    cannot_allocate_listener,
    cannot_create_listener_socket,
    cannot_bind_listener_socket,
    cannot_start_listener,
    cannot_allocate_session,
    upload_incomplete,
    version_mismatch,
};

struct FailureEntry {
    Failure code;
    std::string_view name;  // stable, for scripts and logs
    std::string_view text;  // what the person is shown
};

inline constexpr std::array<FailureEntry, 16> failure_table{{
    {Failure::winsock_init, "winsock-init", message::winsock_init_error},
    {Failure::firmware_missing, "firmware-missing", message::firmware_missing},
    {Failure::no_response, "no-response", message::no_response},
    {Failure::no_response_after_restart, "no-response-after-restart", message::no_response},
    {Failure::user_abort, "user-abort", message::user_abort},
    {Failure::password_not_given, "password-not-given", message::user_abort},
    {Failure::upgrade_declined, "upgrade-declined", message::user_abort},
    {Failure::cannot_open_http_socket, "http-socket", message::cannot_open_http_socket},
    {Failure::cannot_bind_http_socket, "http-bind", message::cannot_bind_http_socket},
    {Failure::cannot_allocate_listener, "listener-memory", message::cannot_allocate_listener},
    {Failure::cannot_create_listener_socket, "listener-socket", message::cannot_create_listener_socket},
    {Failure::cannot_bind_listener_socket, "listener-bind", message::cannot_bind_listener_socket},
    {Failure::cannot_start_listener, "listener-thread", message::cannot_start_listener},
    {Failure::cannot_allocate_session, "transfer-memory", message::cannot_allocate_session},
    {Failure::upload_incomplete, "upload-incomplete", message::upload_incomplete},
    {Failure::version_mismatch, "version-mismatch", message::version_mismatch},
}};

constexpr const FailureEntry& failure_entry(Failure code)
{
    for (const FailureEntry& entry : failure_table)
        if (entry.code == code) return entry;
    return failure_table.front();
}

constexpr std::string_view failure_text(Failure code) { return failure_entry(code).text; }
constexpr std::string_view failure_name(Failure code) { return failure_entry(code).name; }

}  // namespace voq::session
