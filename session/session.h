#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

#include "firmware/image.h"
#include "session/auth_state.h"
#include "session/device_info.h"
#include "session/fixed_text.h"
#include "session/random_source.h"
#include "session/settings.h"
#include "session/shared_text.h"

namespace voq::ui {
class Screens;
}

namespace voq::session {

inline constexpr std::size_t local_address_slots = 8;
inline constexpr std::size_t response_buffer_size = 131072;
// Every request may store one byte less than the buffer holds: room for the terminator.
inline constexpr int response_size_limit = static_cast<int>(response_buffer_size - 1);

// The one record of an upgrade run. Created before the entry runs, empty but for the
// stage flag. A desktop program performs one run a process and never frees it; the
// command line's list performs several at once, each freed when its last thread ends.
// IPv4 addresses are in host order; 0 means none.
struct Session {
    explicit Session(int initial_stage_flag) : stage_flag(initial_stage_flag) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ui::Screens* screens = nullptr;  // the front-end, set by the entry
    // What keeps the run's memory while a thread the core started for it runs, where a
    // process performs several runs; empty where the process ends with its one run.
    std::weak_ptr<void> owner;
    // Taken by the listener as it starts and let go once its socket is closed, for a
    // front-end that must know when the port is free again; empty elsewhere.
    std::shared_ptr<void> port_hold;

    // 1: serve the target image (direct mode, and after the first delivery of staged
    // mode); 0: the transition image comes first. Written on one thread, polled on another.
    std::atomic<int> stage_flag;
    int phone_style = 0;
    std::string_view display_name;

    std::array<std::uint32_t, local_address_slots> local_addresses{};
    std::uint32_t selected_local_address = 0;
    std::uint32_t device_address = 0;
    FixedText<63> device_address_text;
    SharedText<128> expected_file_name;

    session::DeviceInfo device_info;
    session::AuthState auth;
    // Left unset: every request writes its text there, NUL-ended, before anything reads
    // it, and the answer overwrites it. Zeroed, it cost each of a list's runs 32 fresh
    // pages that no answer of a few kilobytes ever reaches.
    std::array<char, response_buffer_size> response;

    fw::FirmwareImage target_image;
    fw::FirmwareImage transition_image;

    RandomSource random;

    // Held by each request from start to end (web/runner).
    std::mutex request_mutex;
    // The waits of session/settings.h, which only tests shorten.
    std::uint32_t restart_wait_ms = settings::restart_wait_ms;
    std::uint32_t transfer_silence_floor_ms = settings::transfer_silence_floor_ms;
    std::uint32_t reread_spacing_ms = settings::reread_spacing_ms;
};

}  // namespace voq::session
