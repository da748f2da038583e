// Test side of the window system: a window that keeps the deck's events, and
// delivery of the messages posted so far (what the host's message loop does).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "contract/com.h"

namespace reelbox::test {

std::size_t DispatchPostedMessages();

struct TapeEvent {
  std::uint32_t code;
  MessageLParam value;
  bool operator==(const TapeEvent& other) const { return code == other.code && value == other.value; }
};

class EventWindow {
 public:
  EventWindow();
  ~EventWindow();
  EventWindow(const EventWindow&) = delete;
  EventWindow& operator=(const EventWindow&) = delete;

  WindowHandle Handle() const { return window_; }
  // Delivers what was posted and hands over the events received since last asked.
  std::vector<TapeEvent> Take();

 private:
  static MessageResult Procedure(void* context, WindowHandle window, std::uint32_t message, MessageWParam wParam,
                                 MessageLParam lParam);

  WindowHandle window_ = nullptr;
  std::vector<TapeEvent> events_;
};

}  // namespace reelbox::test
