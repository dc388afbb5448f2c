#pragma once

#include <string>
#include <variant>

#include "sim/device_config.h"

namespace voq::sim {

struct Options {
    DeviceConfig device;
    bool help = false;
};

// The command line of voq-device-sim; a message saying what is wrong otherwise.
std::variant<Options, std::string> parse_options(int argc, const char* const* argv);

std::string usage_text();

// One line a setting, for the simulator to say what it is.
std::string describe(const DeviceConfig& config);

}  // namespace voq::sim
