#include "platform/system_error.h"

#include <windows.h>

namespace reelbox::platform {

std::int32_t LastSystemError() { return static_cast<std::int32_t>(GetLastError()); }

void SetLastSystemError(std::int32_t error) { SetLastError(static_cast<DWORD>(error)); }

}  // namespace reelbox::platform
