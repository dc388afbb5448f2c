#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "drivers/scripted/block_fold.h"

namespace voq::ui::scripted {

// "text" with \" \\ \r \n \t, and \xNN for every other byte outside printable ASCII.
std::string quoted(std::string_view text);

// The line-oriented record of everything the harness was shown and did. Lines from
// several threads never mix; each is on disk as soon as it is written, but for the
// middle of a run of per-block lines, which is folded unless every block is asked for
// (see BlockFold) and written when the run ends.
class Transcript {
public:
    Transcript(std::FILE* file, bool every_block) : file_(file), every_block_(every_block) {}
    void line(std::string_view text);

private:
    void write(std::string_view text);

    std::mutex mutex_;
    std::FILE* file_;
    bool every_block_;
    BlockFold fold_;
};

}  // namespace voq::ui::scripted
