#include "platform/process.h"

#include <windows.h>

namespace voq::platform {

void end_process() { ::ExitProcess(0); }

}  // namespace voq::platform
