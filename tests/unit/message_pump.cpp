#include "message_pump.h"

#include <utility>

#include "engine/tape_deck.h"
#include "platform/window_messages.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "platform/posix/message_service/message_service.h"
#endif

namespace reelbox::test {

std::size_t DispatchPostedMessages() {
#if defined(_WIN32)
  std::size_t delivered = 0;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    DispatchMessageA(&message);
    ++delivered;
  }
  return delivered;
#else
  return rb_dispatch_messages();
#endif
}

EventWindow::EventWindow() { window_ = platform::CreateMessageWindow(nullptr, &EventWindow::Procedure, this); }

EventWindow::~EventWindow() {
  if (window_ != nullptr) platform::DestroyMessageWindow(window_);
}

std::vector<TapeEvent> EventWindow::Take() {
  DispatchPostedMessages();
  return std::exchange(events_, {});
}

MessageResult EventWindow::Procedure(void* context, WindowHandle, std::uint32_t message, MessageWParam wParam,
                                     MessageLParam lParam) {
  if (message == WM_TAPE_EVENT) {
    static_cast<EventWindow*>(context)->events_.push_back(TapeEvent{static_cast<std::uint32_t>(wParam), lParam});
  }
  return 0;
}

}  // namespace reelbox::test
