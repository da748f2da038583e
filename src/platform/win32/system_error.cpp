#include "platform/system_error.h"

#include <windows.h>

namespace reelbox::platform {

std::int32_t LastSystemError() { return static_cast<std::int32_t>(GetLastError()); }

void SetLastSystemError(std::int32_t error) { SetLastError(static_cast<DWORD>(error)); }

// FormatMessageA's text for the code in the default language, with the line
// break the system puts at its end taken off.
int SystemErrorText(std::int32_t error, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(error),
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, static_cast<DWORD>(size), nullptr);
  while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r' || buffer[length - 1] == ' ')) {
    --length;
  }
  buffer[length < static_cast<DWORD>(size) ? length : static_cast<DWORD>(size) - 1] = '\0';
  return static_cast<int>(length);
}

}  // namespace reelbox::platform
