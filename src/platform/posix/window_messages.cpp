#include "platform/window_messages.h"

#include "platform/posix/message_service/message_service.h"
#include "platform/system_error.h"

namespace reelbox::platform {

bool PostWindowMessage(WindowHandle window, std::uint32_t message, MessageWParam wParam, MessageLParam lParam) {
  return rb_post_message(window, message, wParam, lParam) != 0;
}

std::size_t RemovePendingMessages(WindowHandle window, std::uint32_t message) {
  return rb_remove_messages(window, message);
}

WindowHandle CreateMessageWindow(WindowHandle parent, WindowProcedure procedure, void* context) {
  WindowHandle window = rb_create_window(parent, reinterpret_cast<rb_window_procedure>(procedure), context);
  if (window == nullptr) SetLastSystemError(8);  // ERROR_NOT_ENOUGH_MEMORY
  return window;
}

void DestroyMessageWindow(WindowHandle window) { rb_destroy_window(window); }

}  // namespace reelbox::platform
