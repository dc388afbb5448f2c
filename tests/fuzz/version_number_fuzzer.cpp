// Version numbers and the stage decision on any device version text.

#include <cstdint>
#include <string_view>

#include "app/version_number.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t half = size / 2;
    voq::app::version_number(text);
    voq::app::stage_decision(text.substr(0, half), text.substr(half));
    return 0;
}
