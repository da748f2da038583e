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

// The system's own description of error (Windows numbering), in at most
// size - 1 characters and a NUL, without a trailing line break; returns the
// characters written.
int SystemErrorText(std::int32_t error, char* buffer, int size);

// 0x8007xxxx from the last error when it is above zero, else the error itself.
inline HResult LastErrorResult() { return ResultFromSystemError(LastSystemError()); }

}  // namespace reelbox::platform
