// voq-loopback-pair HOLDER: takes a loopback pair for a test that is no C++ program and
// prints its PC and device addresses on one line.

#include <cstdio>

#include "support/loopback_claim.h"
#include "ui/views.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: voq-loopback-pair HOLDER\n");
        return 2;
    }
    const std::optional<unsigned> n = voq::test::claim_first_free_pair(VOQ_LOOPBACK_CLAIMS, argv[1]);
    if (!n) {
        std::fprintf(stderr, "voq-loopback-pair: no loopback pair is free in %s\n", VOQ_LOOPBACK_CLAIMS);
        return 1;
    }
    const voq::test::LoopbackPair pair = voq::test::pair_addresses(*n);
    std::printf("%s %s\n", voq::ui::dotted(pair.pc).c_str(), voq::ui::dotted(pair.device).c_str());
    return 0;
}
