#include "platform/process.h"

#include <windows.h>

#include <cstdio>

namespace voq::platform {

void end_process() { ::ExitProcess(0); }

void end_process_with_status(int status)
{
    std::fflush(nullptr);
    ::ExitProcess(static_cast<UINT>(status));
}

bool runs_as_root() { return false; }

}  // namespace voq::platform
