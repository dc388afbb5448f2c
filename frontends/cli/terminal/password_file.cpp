#include "frontends/cli/terminal/password_file.h"

#include "frontends/cli/terminal/credentials.h"
#include "frontends/cli/terminal/input_file.h"
#include "ui/credential_bytes.h"
#include "ui/texts.h"

namespace voq::cli {

std::string_view without_byte_order_mark(std::string_view text)
{
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    if (text.starts_with(mark)) text.remove_prefix(mark.size());
    return text;
}

PasswordFromFile password_of_file_contents(std::string_view contents, const std::string& path)
{
    contents = without_byte_order_mark(contents);
    if (contents.empty()) return {"", "the password file " + path + " is empty", ""};
    const std::string line = first_line(contents);
    if (line.empty()) return {"", "the first line of the password file " + path + " is empty", ""};
    const auto sendable = ui::credential_from_utf8(line);
    if (!sendable) return {"", path + ": " + std::string(ui::text::unsendable_credentials), ""};
    PasswordFromFile read{*sendable, "", ""};
    if (line.back() == ' ' || line.back() == '\t')
        read.warning = "warning: the first line of the password file " + path +
                       " ends in white space, which is sent as part of the password";
    return read;
}

PasswordFromFile read_password_file(const std::string& path)
{
    const FileContents file = read_named_file(path, most_password_file_bytes, "password file");
    if (!file.problem.empty()) return {"", file.problem, ""};
    return password_of_file_contents(file.bytes, path);
}

}  // namespace voq::cli
