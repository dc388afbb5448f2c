#pragma once

#include "support/loopback_claim.h"
#include "ui/views.h"

namespace voq::test {

// Every test that opens sockets takes a pair of its own, so that tests run in
// parallel: the first pair no test of this run has taken, kept until the run ends
// (a socket closed a moment ago may still hold its port). A test needing two pairs
// asks twice.
LoopbackPair loopback_pair();

using ui::dotted;

}  // namespace voq::test
