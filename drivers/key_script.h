#pragma once

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ui/ids.h"

// The keys both autopilots press, screen by screen, so that the Linux and the Windows
// program can be played the same way and their transcripts compared:
//   "139=Tab,Return 101=address,Return 104=password,Return 103=Tab,Return"
// A screen is named by its template id, or "message" for a message box. Keys are
// Tab, Shift+Tab, Return, Escape, Space, Right, Down and Backspace; "address" and
// "password" type the run's address and password into the focus, a word that starts
// with a digit is typed as it stands, and one that starts with ' is typed without it
// (UTF-8, any character); any other word presses nothing. A key goes to the focus of
// the moment, which may be a box the screen has opened meanwhile.
namespace voq::autopilot {

using KeyScript = std::map<std::string, std::vector<std::string>>;

inline KeyScript read_key_script(const std::string& text)
{
    KeyScript script;
    std::istringstream screens(text);
    std::string screen;
    while (screens >> screen) {
        const std::size_t equals = screen.find('=');
        if (equals == std::string::npos) continue;
        std::vector<std::string>& keys = script[screen.substr(0, equals)];
        std::istringstream list(screen.substr(equals + 1));
        for (std::string key; std::getline(list, key, ',');) {
            if (!key.empty()) keys.push_back(key);
        }
    }
    return script;
}

// An address or a number starts with a digit; any other text is quoted, so that it
// cannot be taken for a key's name.
inline bool is_typed_text(const std::string& key)
{
    return !key.empty() && ((key[0] >= '0' && key[0] <= '9') || key[0] == '\'');
}

// What a typed word types: itself, or what follows its quote.
inline std::string typed_text(const std::string& key) { return key[0] == '\'' ? key.substr(1) : key; }

// What a screen without keys in the script gets: the progress screens none, every
// other screen Return, which ends a run that the script did not foresee.
inline std::vector<std::string> keys_for(const KeyScript& script, const std::string& screen)
{
    const auto found = script.find(screen);
    if (found != script.end()) return found->second;
    for (const int progress : {ui::templates::connecting, ui::templates::waiting, ui::templates::uploading}) {
        if (screen == std::to_string(progress)) return {};
    }
    return {"Return"};
}

}  // namespace voq::autopilot
