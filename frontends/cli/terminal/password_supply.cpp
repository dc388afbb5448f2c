#include "frontends/cli/terminal/password_supply.h"

#include "frontends/cli/run/cli_texts.h"
#include "frontends/cli/terminal/credentials.h"
#include "frontends/cli/terminal/interruption.h"
#include "platform/terminal.h"
#include "session/messages.h"
#include "ui/credential_bytes.h"
#include "ui/texts.h"

namespace voq::cli {

PasswordSupply::PasswordSupply(PasswordOrigin origin, std::string password, Console& console)
    : origin_(origin), password_(std::move(password)), console_(console)
{
}

PasswordSupply::Answer PasswordSupply::next(const std::string& user, const std::string& device)
{
    const bool refused = asked_ > 0;
    if (origin_ == PasswordOrigin::none) return {std::nullopt, Outcome::password, text::password_missing};
    if (origin_ != PasswordOrigin::prompt) {
        if (refused) return {std::nullopt, Outcome::password, text::password_refused};
        ++asked_;
        return {password_, Outcome::password, {}};
    }
    if (refused) console_.error("The VOQ refused the password.");
    while (asked_ < most_password_asks) {
        ++asked_;
        const auto typed = ask(user, device);
        if (platform::terminal::interrupted())
            return {std::nullopt, current_interruption().outcome, current_interruption().message};
        if (!typed) return {std::nullopt, Outcome::password, text::password_not_typed};
        if (const auto sendable = ui::credential_from_utf8(*typed)) return {*sendable, Outcome::password, {}};
        console_.error(ui::text::unsendable_credentials);
    }
    return {std::nullopt, Outcome::password, text::password_refused};
}

std::optional<std::string> PasswordSupply::ask(const std::string& user, const std::string& device)
{
    return console_.ask("Password for " + user + " on VOQ@" + device + ": ", false);
}

}  // namespace voq::cli
