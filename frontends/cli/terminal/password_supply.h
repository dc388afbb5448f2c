#pragma once

#include <optional>
#include <string>

#include "frontends/cli/run/exit_status.h"
#include "frontends/cli/terminal/console.h"

namespace voq::cli {

enum class PasswordOrigin { file, environment, prompt, none };

// Answers the device's password screens: a password from a file or the environment
// is given once (a refused one ends the run rather than being sent again and again);
// one from the terminal is asked for up to three times.
class PasswordSupply {
public:
    PasswordSupply(PasswordOrigin origin, std::string password, Console& console);

    struct Answer {
        std::optional<std::string> password;  // as bytes to send
        Outcome outcome = Outcome::password;  // why there is none
        std::string_view message;
    };
    Answer next(const std::string& user, const std::string& device);

private:
    std::optional<std::string> ask(const std::string& user, const std::string& device);

    PasswordOrigin origin_;
    std::string password_;
    Console& console_;
    int asked_ = 0;
};

inline constexpr int most_password_asks = 3;

}  // namespace voq::cli
