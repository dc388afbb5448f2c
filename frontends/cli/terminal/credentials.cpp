#include "frontends/cli/terminal/credentials.h"

namespace voq::cli {

std::string first_line(std::string_view contents)
{
    std::string_view line = contents.substr(0, contents.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return std::string(line);
}

}  // namespace voq::cli
