// The asynchronous state of modifier keys.
#pragma once

namespace reelbox::platform {

// True while the key is held down at this moment.
bool IsShiftKeyDown();
bool IsControlKeyDown();

}  // namespace reelbox::platform
