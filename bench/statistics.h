#pragma once

#include <vector>

namespace voq::bench {

struct Spread {
    double median = 0;
    double minimum = 0;
    double maximum = 0;
};

// The median (the mean of the middle two for an even count), least and greatest;
// all zero for no samples.
Spread spread_of(std::vector<double> samples);

}  // namespace voq::bench
