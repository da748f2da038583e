#include "platform/headless_dialog.h"

#include "platform/posix/message_service/message_service.h"

namespace reelbox::platform {

void ShowHeadlessMessage(WindowHandle owner, const char* text, std::int32_t seconds, std::int32_t blockIndex) {
  rb_dialog dialog{};
  dialog.kind = RB_DIALOG_MESSAGE;
  dialog.owner = owner;
  dialog.text = text;
  dialog.style = static_cast<std::uint32_t>(seconds);
  dialog.value = blockIndex;
  rb_show_dialog(&dialog);
}

std::int32_t ChooseHeadless(WindowHandle owner, const char* const* items, std::uint32_t count,
                            std::int32_t blockIndex) {
  rb_dialog dialog{};
  dialog.kind = RB_DIALOG_CHOICE;
  dialog.owner = owner;
  dialog.items = items;
  dialog.itemCount = count;
  dialog.value = blockIndex;
  dialog.defaultAnswer = count > 0 ? 0 : -1;
  const std::intptr_t answer = rb_show_dialog(&dialog);
  return answer >= 0 && static_cast<std::uintptr_t>(answer) < count ? static_cast<std::int32_t>(answer) : -1;
}

}  // namespace reelbox::platform
