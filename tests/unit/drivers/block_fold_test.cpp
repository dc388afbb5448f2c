#include "drivers/scripted/block_fold.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace voq::ui::scripted {
namespace {

std::string caption(int bytes)
{
    return "caption 110 \"Uploading Target Firmware to VOQ@192.0.2.2 " + std::to_string(bytes) + "/1000 Bytes\"";
}
std::string send(int block) { return "trace \"Send block " + std::to_string(block) + " (512)\\n\""; }

std::vector<std::string> folded(const std::vector<std::string>& lines)
{
    BlockFold fold;
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        for (std::string& each : fold.take(line)) out.push_back(std::move(each));
    }
    for (std::string& each : fold.finish()) out.push_back(std::move(each));
    return out;
}

TEST(BlockFold, KeepsTheEndsOfEachRunAndCountsItsMiddle)
{
    const std::string open = "open 110 \"Uploading Firmware To VOQ\"", resend = "trace \"ReSend block 3\\n\"";
    const struct {
        const char* name;
        std::vector<std::string> lines;
        std::vector<std::string> expected;
    } cases[] = {
        {"no block at all", {open, "end-process"}, {open, "end-process"}},
        {"a run of four lines is not folded",
         {open, caption(0), send(1), caption(512), send(2), "end-process"},
         {open, caption(0), send(1), caption(512), send(2), "end-process"}},
        {"a run of five folds one line",
         {caption(0), send(1), caption(512), send(2), caption(1000), "end-process"},
         {caption(0), send(1), "folded 1 line", send(2), caption(1000), "end-process"}},
        {"a long run names its first and last folded send",
         {caption(0), send(1), caption(1), send(2), caption(2), send(3), caption(3), send(4), caption(4),
          "end-process"},
         {caption(0), send(1), "folded 5 lines, \"Send block 2 (512)\" to \"Send block 3 (512)\"", send(4), caption(4),
          "end-process"}},
        {"another line ends a run, and a new one starts after it",
         {caption(0), send(1), caption(1), send(2), caption(2), resend, send(3), caption(3), send(4), caption(4),
          send(5)},
         {caption(0), send(1), "folded 1 line", send(2), caption(2), resend, send(3), caption(3),
          "folded 1 line, \"Send block 4 (512)\" to \"Send block 4 (512)\"", caption(4), send(5)}},
        {"a run still going at the end is written by finish",
         {caption(0), send(1), caption(1), send(2), caption(2)},
         {caption(0), send(1), "folded 1 line", send(2), caption(2)}},
        {"the restart's caption is no block line",
         {"caption 110 \"Updating Target Firmware to VOQ@192.0.2.2\""},
         {"caption 110 \"Updating Target Firmware to VOQ@192.0.2.2\""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(folded(c.lines), c.expected);
    }
}

}  // namespace
}  // namespace voq::ui::scripted
