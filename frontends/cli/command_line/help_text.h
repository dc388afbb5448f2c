#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace voq::cli {

// The width --help is laid out for: the terminal's columns, 80 when it writes
// elsewhere; never under 40, and never over 100, past which lines are hard to follow.
std::size_t help_width(std::size_t terminal_columns);

// text broken at its spaces into lines of at most room columns; a word longer than a
// line stands on one of its own.
std::vector<std::string> wrapped_lines(std::string_view text, std::size_t room);

// An entry of a list: label from the third column, text wrapped from column column,
// beside the label when the label leaves it two spaces, below it otherwise.
std::string list_entry(std::string_view label, std::string_view text, std::size_t width, std::size_t column);

// A paragraph wrapped to width.
std::string paragraph(std::string_view text, std::size_t width);

}  // namespace voq::cli
