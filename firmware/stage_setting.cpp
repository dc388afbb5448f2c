#include "firmware/embedded.h"

#ifndef VOQ_INITIAL_STAGE_FLAG
#error "the build sets VOQ_INITIAL_STAGE_FLAG"
#endif

namespace voq::fw {

int built_stage_flag() { return VOQ_INITIAL_STAGE_FLAG; }

}  // namespace voq::fw
