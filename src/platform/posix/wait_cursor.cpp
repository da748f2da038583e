#include "platform/wait_cursor.h"

namespace reelbox::platform {

// The native build has no cursor of its own.
WaitCursor::WaitCursor() = default;
WaitCursor::~WaitCursor() = default;

}  // namespace reelbox::platform
