// Posted window messages: the deck's notifications travel to the recorder
// window through the window system's queue and are handled on the window thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "contract/com.h"

namespace reelbox::platform {

constexpr std::uint32_t WINDOW_MESSAGE_USER = 0x400;  // WM_USER

// Posts without waiting; false when the message could not be queued.
bool PostWindowMessage(WindowHandle window, std::uint32_t message, MessageWParam wParam, MessageLParam lParam);

// Takes every queued message of this number for window out of the queue,
// undelivered; returns how many there were.
std::size_t RemovePendingMessages(WindowHandle window, std::uint32_t message);

}  // namespace reelbox::platform

namespace reelbox::platform {

using WindowProcedure = MessageResult (*)(void* context, WindowHandle window, std::uint32_t message,
                                          MessageWParam wParam, MessageLParam lParam);

// A window that receives posted messages on the thread that runs the window
// system's message loop (the host's). Null on failure, with the last error set.
WindowHandle CreateMessageWindow(WindowHandle parent, WindowProcedure procedure, void* context);
void DestroyMessageWindow(WindowHandle window);

}  // namespace reelbox::platform
