#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace voq::ui::scripted {

// "text" with \" \\ \r \n \t, and \xNN for every other byte outside printable ASCII.
std::string quoted(std::string_view text);

// The line-oriented record of everything the harness was shown and did. Lines from
// several threads never mix; each is on disk as soon as it is written.
class Transcript {
public:
    explicit Transcript(std::FILE* file) : file_(file) {}
    void line(std::string_view text);

private:
    std::mutex mutex_;
    std::FILE* file_;
};

}  // namespace voq::ui::scripted
