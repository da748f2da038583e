#include "platform/cursor.h"

#include <windows.h>

namespace reelbox::platform {

CursorShape ShowWaitCursor() { return SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT))); }

void RestoreCursor(CursorShape previous) { SetCursor(static_cast<HCURSOR>(previous)); }

}  // namespace reelbox::platform
