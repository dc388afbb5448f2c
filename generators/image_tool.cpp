// voq-firmware-image: the build's helper for the embedded images.
//   voq-firmware-image placeholder OUT SIZE IDENTIFICATION VERSION
//   voq-firmware-image check FILE
// check exits 1 with a message naming the fault when FILE cannot be carried.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "firmware/image.h"
#include "firmware/placeholder.h"

namespace {

int usage()
{
    std::fputs(
        "usage: voq-firmware-image placeholder OUT SIZE IDENTIFICATION VERSION\n"
        "       voq-firmware-image check FILE\n",
        stderr);
    return 2;
}

int write_placeholder(const char* path, const char* size_text, const char* identification, const char* version)
{
    char* end = nullptr;
    const unsigned long long size = std::strtoull(size_text, &end, 10);
    if (end == size_text || *end != '\0' || size >= voq::fw::image_size_limit) {
        std::fprintf(stderr, "voq-firmware-image: bad size '%s'\n", size_text);
        return 2;
    }
    const auto image = voq::fw::make_placeholder_image(static_cast<std::uint32_t>(size), identification, version);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "voq-firmware-image: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

int check(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "voq-firmware-image: cannot read firmware image %s\n", path);
        return 1;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const voq::fw::ImageFault fault = voq::fw::check_image(bytes);
    if (fault != voq::fw::ImageFault::none) {
        const std::string reason(voq::fw::describe(fault));
        std::fprintf(stderr, "voq-firmware-image: firmware image %s (%zu bytes) is refused: %s\n", path, bytes.size(),
                     reason.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "placeholder" && argc == 6) return write_placeholder(argv[2], argv[3], argv[4], argv[5]);
    if (command == "check" && argc == 3) return check(argv[2]);
    return usage();
}
