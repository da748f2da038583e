// A tape's message and a list to choose from, on the native build, where no
// screen shows dialogs: the host's dialog handler sees them and answers for
// the person at the keyboard. (On Windows the plug-in shows real dialogs.)
#pragma once

#include <cstdint>

#include "contract/com.h"

namespace reelbox::platform {

// Tells the handler the message of the tape's block blockIndex, shown for
// seconds (0: until closed). Does not wait for anybody.
void ShowHeadlessMessage(WindowHandle owner, const char* text, std::int32_t seconds, std::int32_t blockIndex);
// The index of the item chosen, or -1 for Cancel. Without a handler, the
// first item (what OK on the opened dialog gives), or -1 when there is none.
std::int32_t ChooseHeadless(WindowHandle owner, const char* const* items, std::uint32_t count, std::int32_t blockIndex);

}  // namespace reelbox::platform
