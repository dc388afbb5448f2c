#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace voq::ui::scripted {

// Folds a run of per-block transcript lines (the uploading screen's byte-count caption
// and the "Send block" trace, two a block) into its first two lines, one line that
// counts what stood between, and its last two: a whole upgrade then reads in a few
// dozen lines instead of some three thousand.
class BlockFold {
public:
    // What to write now for line, in order: the line itself, or nothing while it is
    // held, or, when it ends a run, the fold and the lines held before it.
    std::vector<std::string> take(std::string_view line);
    // The lines still held at the end.
    std::vector<std::string> finish();

private:
    std::size_t run_lines_ = 0;
    std::size_t folded_ = 0;
    std::string first_folded_send_, last_folded_send_;
    std::vector<std::string> held_;  // the run's last two lines so far
};

bool is_per_block_line(std::string_view line);

}  // namespace voq::ui::scripted
