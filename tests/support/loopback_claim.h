#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace voq::test {

// Pair n's addresses: the PC at 127.H.L.1 and the device at 127.H.L.2, where n is H*256+L;
// the rest of that /24 belongs to the pair too, for a test's other devices (.3 and up).
// Below 127.16.0.0 stand the addresses that programs choose for themselves (127.0.0.2 of
// a device run by hand, the benchmarks' 127.0.200.x and 127.2.x.x), and 127.255.x.x holds
// the test namespace's own second address: no pair is handed out there.
struct LoopbackPair {
    std::uint32_t pc;
    std::uint32_t device;
};

constexpr unsigned first_pair = 16u * 256u;
constexpr unsigned last_pair = 254u * 256u + 255u;

constexpr LoopbackPair pair_addresses(unsigned n) { return {0x7f000001u | n << 8, 0x7f000002u | n << 8}; }

// Takes the lowest pair that has no claim in folder, for the rest of the test run, by
// linking a file written in full under another name into the pair's name: link() fails
// when the name exists, so of two processes taking a pair at the same moment one wins.
// holder is written into the claim, for a person looking at who took what. Nothing when
// every pair is taken or folder cannot be written in.
std::optional<unsigned> claim_first_free_pair(const std::string& folder, const std::string& holder);

}  // namespace voq::test
