#pragma once

#include <string>
#include <string_view>

namespace voq::cli {

struct PasswordFromFile {
    std::string password;  // the bytes to send
    std::string problem;   // a usage error; nothing is sent then
    std::string warning;   // for the user, the run goes on
};

// The password of a file's first line. An empty one is refused: the device would get
// an unsigned request where a password was meant.
PasswordFromFile password_of_file_contents(std::string_view contents, const std::string& path);

// The same, read from the file at path (a regular file, bounded).
PasswordFromFile read_password_file(const std::string& path);

// A UTF-8 byte order mark at the start of text, which editors on Windows write, removed.
std::string_view without_byte_order_mark(std::string_view text);

}  // namespace voq::cli
