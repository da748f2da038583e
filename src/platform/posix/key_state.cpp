#include "platform/key_state.h"

#include "platform/posix/message_service/message_service.h"

namespace reelbox::platform {

// The native build has no keyboard of its own: the host says which keys it holds.
bool IsShiftKeyDown() { return (rb_keys_down() & RB_KEY_SHIFT) != 0; }
bool IsControlKeyDown() { return (rb_keys_down() & RB_KEY_CONTROL) != 0; }

}  // namespace reelbox::platform
