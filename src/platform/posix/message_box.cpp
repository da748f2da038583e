#include "platform/message_box.h"

#include "platform/posix/message_service/message_service.h"

namespace reelbox::platform {
namespace {

// What a person pressing Enter would get: the default button of the style.
std::int32_t DefaultAnswer(std::uint32_t style) {
  const bool second = (style & 0xF00) == MESSAGE_BOX_DEFAULT_BUTTON_2;
  switch (style & 0xF) {
    case MESSAGE_BOX_OK_CANCEL:
      return second ? ANSWER_CANCEL : ANSWER_OK;
    case MESSAGE_BOX_YES_NO_CANCEL:
    case MESSAGE_BOX_YES_NO:
      return second ? ANSWER_NO : ANSWER_YES;
    case MESSAGE_BOX_RETRY_CANCEL:
      return second ? ANSWER_CANCEL : ANSWER_RETRY;
    default:
      return ANSWER_OK;
  }
}

}  // namespace

std::int32_t ShowMessageBox(WindowHandle owner, const char* text, const char* caption, std::uint32_t style) {
  rb_dialog dialog{};
  dialog.kind = RB_DIALOG_MESSAGE_BOX;
  dialog.owner = owner;
  dialog.caption = caption;
  dialog.text = text;
  dialog.style = style;
  dialog.defaultAnswer = DefaultAnswer(style);
  return static_cast<std::int32_t>(rb_show_dialog(&dialog));
}

}  // namespace reelbox::platform
