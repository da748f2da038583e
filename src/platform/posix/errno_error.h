// For the native services: records errno as the last system error.
#pragma once

#include "contract/com.h"

namespace reelbox::platform {

// Stores errno (in Windows numbering) as the last error and returns its result code.
HResult FailFromErrno();

}  // namespace reelbox::platform
