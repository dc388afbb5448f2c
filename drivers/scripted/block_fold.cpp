#include "drivers/scripted/block_fold.h"

#include "ui/screens.h"

namespace voq::ui::scripted {

namespace {

constexpr std::string_view send_prefix = "trace \"Send block ";
constexpr std::size_t lines_kept_at_each_end = 2;

bool starts_with(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// "Send block 17 (512)" out of its trace line.
std::string send_of(std::string_view line)
{
    line.remove_prefix(send_prefix.size() - std::string_view("Send block ").size());
    if (line.size() >= 3 && line.substr(line.size() - 3) == "\\n\"") line.remove_suffix(3);
    return std::string(line);
}

}  // namespace

bool is_per_block_line(std::string_view line)
{
    static const std::string uploading_caption = "caption " + std::to_string(templates::uploading) + " \"Uploading ";
    return starts_with(line, uploading_caption) || starts_with(line, send_prefix);
}

std::vector<std::string> BlockFold::take(std::string_view line)
{
    if (!is_per_block_line(line)) {
        std::vector<std::string> out = finish();
        out.emplace_back(line);
        return out;
    }
    if (++run_lines_ <= lines_kept_at_each_end) return {std::string(line)};
    held_.emplace_back(line);
    if (held_.size() > lines_kept_at_each_end) {
        const std::string folding = std::move(held_.front());
        held_.erase(held_.begin());
        ++folded_;
        if (starts_with(folding, send_prefix)) {
            if (first_folded_send_.empty()) first_folded_send_ = send_of(folding);
            last_folded_send_ = send_of(folding);
        }
    }
    return {};
}

std::vector<std::string> BlockFold::finish()
{
    std::vector<std::string> out;
    if (folded_ > 0) {
        std::string fold = "folded " + std::to_string(folded_) + (folded_ == 1 ? " line" : " lines");
        if (!first_folded_send_.empty()) fold += ", \"" + first_folded_send_ + "\" to \"" + last_folded_send_ + "\"";
        out.push_back(std::move(fold));
    }
    for (std::string& line : held_) out.push_back(std::move(line));
    *this = BlockFold{};
    return out;
}

}  // namespace voq::ui::scripted
