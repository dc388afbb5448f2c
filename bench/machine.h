#pragma once

#include <string>

namespace voq::bench {

// One line naming what the figures were taken on: processor, cores, kernel.
std::string machine_description();

}  // namespace voq::bench
