#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "firmware/image.h"
#include "support/child_process.h"

namespace voq::fw {
namespace {

test::CommandResult run_tool(const std::string& arguments)
{
    return test::run_command(std::string(VOQ_IMAGE_TOOL_FILE) + " " + arguments + " 2>&1");
}

std::string write_file(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    const auto path = std::filesystem::temp_directory_path() / ("voq-image-tool-test-" + name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

TEST(ImageTool, CheckRefusesUnusableImagesWithAClearMessage)
{
    std::vector<std::uint8_t> unterminated(4096, 'v');
    std::vector<std::uint8_t> usable(4096, 'v');
    usable[100] = 0;
    const struct {
        std::string name;
        std::vector<std::uint8_t> bytes;
        int status;
        std::string says;  // the whole output when the image is usable
    } cases[] = {
        {"short", std::vector<std::uint8_t>(127, 0), 1, "shorter than its 128-byte header"},
        {"unterminated", unterminated, 1, "has no zero byte inside the 128-byte header"},
        {"usable", usable, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = write_file(c.name, c.bytes);
        const test::CommandResult run = run_tool("check " + path);
        EXPECT_EQ(run.status, c.status) << run.output;
        if (c.status == 0) {
            EXPECT_EQ(run.output, c.says);
        } else {
            EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
            EXPECT_NE(run.output.find(path), std::string::npos) << run.output;
        }
        std::filesystem::remove(path);
    }
}

TEST(ImageTool, CheckRefusesAnImageTooLargeToNumberItsBlocks)
{
    const auto path = std::filesystem::temp_directory_path() / "voq-image-tool-test-large";
    {
        std::vector<std::uint8_t> header(128, 0);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(header.data()), 128);
    }
    std::filesystem::resize_file(path, image_size_limit);
    const test::CommandResult run = run_tool("check " + path.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("33553920 bytes or more"), std::string::npos) << run.output;
    std::filesystem::remove(path);
}

TEST(ImageTool, CheckRefusesAMissingFile)
{
    const test::CommandResult run = run_tool("check /nonexistent/voq-image.bin");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("cannot read"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace voq::fw
