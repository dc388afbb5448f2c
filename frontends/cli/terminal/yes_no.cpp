#include "frontends/cli/terminal/yes_no.h"

#include <cctype>
#include <string>

namespace voq::cli {

bool is_yes(std::string_view answer)
{
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!answer.empty() && blank(answer.front())) answer.remove_prefix(1);
    while (!answer.empty() && blank(answer.back())) answer.remove_suffix(1);
    std::string lower(answer);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "y" || lower == "yes";
}

}  // namespace voq::cli
