#include "support/loopback_claim.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fstream>

namespace voq::test {

std::optional<unsigned> claim_first_free_pair(const std::string& folder, const std::string& holder)
{
    // Threads of one process may claim at once too: each writes a draft of its own.
    static std::atomic<unsigned> drafts{0};
    const std::string draft = folder + "/draft-" + std::to_string(::getpid()) + "-" + std::to_string(++drafts);
    if (!(std::ofstream(draft) << ::getpid() << ' ' << holder << '\n')) {
        std::remove(draft.c_str());
        return std::nullopt;
    }
    std::optional<unsigned> taken;
    for (unsigned n = first_pair; n <= last_pair && !taken; ++n) {
        const std::string path = folder + "/pair-" + std::to_string(n);
        if (::link(draft.c_str(), path.c_str()) == 0) taken = n;
        else if (errno != EEXIST) break;
    }
    std::remove(draft.c_str());
    return taken;
}

}  // namespace voq::test
