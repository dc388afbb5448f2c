#include "frontends/cli/command_line/help_text.h"

#include <algorithm>
#include <utility>

namespace voq::cli {

std::size_t help_width(std::size_t terminal_columns)
{
    if (terminal_columns == 0) return 80;
    return std::clamp<std::size_t>(terminal_columns, 40, 100);
}

std::vector<std::string> wrapped_lines(std::string_view text, std::size_t room)
{
    std::vector<std::string> lines;
    std::string line;
    while (!text.empty()) {
        const std::size_t start = text.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        text.remove_prefix(start);
        const std::string_view word = text.substr(0, text.find(' '));
        text.remove_prefix(word.size());
        if (!line.empty() && line.size() + 1 + word.size() > room) lines.push_back(std::exchange(line, {}));
        if (!line.empty()) line += ' ';
        line += word;
    }
    if (!line.empty() || lines.empty()) lines.push_back(line);
    return lines;
}

std::string list_entry(std::string_view label, std::string_view text, std::size_t width, std::size_t column)
{
    std::string entry = "  " + std::string(label);
    const std::vector<std::string> lines = wrapped_lines(text, width > column ? width - column : 1);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0 && entry.size() + 2 <= column) {
            entry.append(column - entry.size(), ' ');
        } else {
            entry += '\n';
            entry.append(column, ' ');
        }
        entry += lines[i];
    }
    return entry + "\n";
}

std::string paragraph(std::string_view text, std::size_t width)
{
    std::string wrapped;
    for (const std::string& line : wrapped_lines(text, width)) wrapped += line + "\n";
    return wrapped;
}

}  // namespace voq::cli
