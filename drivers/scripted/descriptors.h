#pragma once

namespace voq::ui::scripted {

// From now on the process may open no more files or sockets, as when it has used up
// every descriptor it may have; false where that cannot be arranged.
bool run_out_of_descriptors();

}  // namespace voq::ui::scripted
