#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace voq::ui::scripted {

// What the scripted user does on one opening of a modal screen.
struct ModalAnswer {
    bool affirmative = false;      // Continue / OK / Upgrade, or Cancel
    std::string typed;             // address: the text typed; password: the user name
    std::string password;          // password: the password typed
    std::optional<int> selection;  // address: the local address chosen, by position
};

// Cancel on a progress screen: at its pump-th pump on its opening-th opening.
struct CancelPlan {
    int template_id;
    int opening;
    int pump;
};

struct Script {
    std::deque<ModalAnswer> warning;
    std::deque<ModalAnswer> address;  // one a press of OK (or Cancel)
    std::deque<ModalAnswer> password;
    std::deque<ModalAnswer> confirm;
    std::deque<ModalAnswer> success;
    std::vector<CancelPlan> cancels;
    std::optional<std::vector<std::uint32_t>> local_addresses;  // host order
    std::optional<std::uint32_t> restart_wait_ms;               // given as restart-wait-units N
    std::optional<std::uint32_t> transfer_silence_floor_ms;
    std::optional<std::uint32_t> reread_spacing_ms;
    // The process may open no more descriptors once Upgrade is pressed (tests only).
    bool descriptors_run_out_after_confirm = false;
    // Every per-block line in the transcript, instead of a run folded into one line.
    bool transcript_every_block = false;
};

// Reads a script; a message naming the line otherwise.
std::variant<Script, std::string> parse_script(std::string_view text);

// Splits a line into words; "..." is one word with \" \\ \r \n \t \xNN escapes.
std::optional<std::vector<std::string>> split_words(std::string_view line);

}  // namespace voq::ui::scripted
