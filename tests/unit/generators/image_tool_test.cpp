#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "firmware/image.h"

namespace voq::fw {
namespace {

struct ToolRun {
    int status;
    std::string output;
};

ToolRun run_tool(const std::string& arguments)
{
    const std::string command = std::string(VOQ_IMAGE_TOOL_FILE) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ToolRun run{-1, {}};
    if (pipe == nullptr) return run;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) run.output += chunk;
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
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
        const ToolRun run = run_tool("check " + path);
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
    const ToolRun run = run_tool("check " + path.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("33553920 bytes or more"), std::string::npos) << run.output;
    std::filesystem::remove(path);
}

TEST(ImageTool, CheckRefusesAMissingFile)
{
    const ToolRun run = run_tool("check /nonexistent/voq-image.bin");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("cannot read"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace voq::fw
