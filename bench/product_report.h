#pragma once

#include <string>

namespace voq::bench {

// The Linux program itself (its automatic user on Qt's offscreen platform) against the
// simulator: the CPU its waiting screens take, and its peak memory for a whole
// upgrade and for its screens alone. Printed as Markdown; false when a run did not
// go as it should. build_dir holds the built programs.
bool report_product(const std::string& build_dir);

}  // namespace voq::bench
