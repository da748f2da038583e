#include "platform/key_state.h"

#include <windows.h>

namespace reelbox::platform {
namespace {

// The top bit of the asynchronous key state: the key is down now.
bool IsKeyDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace

bool IsShiftKeyDown() { return IsKeyDown(VK_SHIFT); }
bool IsControlKeyDown() { return IsKeyDown(VK_CONTROL); }

}  // namespace reelbox::platform
