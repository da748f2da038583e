#include "platform/key_state.h"

namespace reelbox::platform {

// The native build has no keyboard of its own: no key is ever held.
bool IsShiftKeyDown() { return false; }
bool IsControlKeyDown() { return false; }

}  // namespace reelbox::platform
