#pragma once

#include <cstdint>
#include <string>

namespace voq::cli {

// Why --local-address cannot be used (it is no address of this PC, for one); empty
// when a socket binds to it.
std::string local_address_problem(std::uint32_t address);

}  // namespace voq::cli
