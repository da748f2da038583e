#include "platform/message_box.h"

#include <windows.h>

namespace reelbox::platform {

std::int32_t ShowMessageBox(WindowHandle owner, const char* text, const char* caption, std::uint32_t style) {
  return MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

}  // namespace reelbox::platform
