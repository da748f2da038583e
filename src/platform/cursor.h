// The mouse cursor: the hourglass while the window works on something the
// user waits for.
#pragma once

#include <cstdint>

namespace reelbox::platform {

using CursorShape = void*;

// Shows the wait cursor; returns the cursor it replaced.
CursorShape ShowWaitCursor();
// Puts back a cursor that ShowWaitCursor returned.
void RestoreCursor(CursorShape previous);

}  // namespace reelbox::platform
