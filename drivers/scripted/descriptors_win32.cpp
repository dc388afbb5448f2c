#include "drivers/scripted/descriptors.h"

namespace voq::ui::scripted {

// Windows has no limit of a process's own to lower.
bool run_out_of_descriptors() { return false; }

}  // namespace voq::ui::scripted
