// The system's last error and the result code made from it.
#pragma once

#include <cstdint>

#include "contract/com.h"

namespace reelbox::platform {

// The calling thread's last system error, in Windows numbering (natively errno
// values are mapped: ENOENT -> 2, EACCES -> 5, ENOSPC -> 112, ...).
std::int32_t LastSystemError();

// Sets the calling thread's last system error (Windows numbering).
void SetLastSystemError(std::int32_t error);

// 0x8007xxxx from the last error when it is above zero, else the error itself.
inline HResult LastErrorResult() { return ResultFromSystemError(LastSystemError()); }

}  // namespace reelbox::platform
