#include "host/recorder_window.h"

#include "platform/posix/message_service/message_service.h"
#include "ui/recorder_items.h"

namespace reelbox::host {
namespace {

constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::size_t TEXT_LENGTH = 512;

std::string Text(void* window, const char* name, std::int32_t index, std::intptr_t* value = nullptr) {
  char text[TEXT_LENGTH] = "";
  rb_get_window_item(window, name, index, value, text, sizeof text);
  return text;
}

void* RecorderWindow() { return rb_find_window_with_item(ITEM_TITLE); }

}  // namespace

RecorderWindowState ReadRecorderWindow() {
  RecorderWindowState state;
  void* window = RecorderWindow();
  if (window == nullptr) return state;
  state.found = true;
  state.title = Text(window, ITEM_TITLE, 0);
  std::intptr_t value = 0;
  Text(window, ITEM_VISIBLE, 0, &value);
  state.visible = value != 0;
  const std::int32_t rows = rb_count_window_items(window, ITEM_ROW);
  for (std::int32_t row = 0; row < rows; ++row) {
    std::string text = Text(window, ITEM_ROW, row, &value);
    state.rows.push_back(RecorderRow{std::move(text), static_cast<std::int32_t>(value)});
  }
  Text(window, ITEM_SELECTED, 0, &value);
  state.selected = static_cast<std::int32_t>(value);
  for (int part = 0; part < 2; ++part) state.status[part] = Text(window, ITEM_STATUS, part);
  const std::int32_t buttons = rb_count_window_items(window, ITEM_BUTTON);
  for (std::int32_t command = 0; command < buttons; ++command) {
    if (rb_get_window_item(window, ITEM_BUTTON, command, &value, nullptr, 0) == 0) continue;
    state.buttons[static_cast<std::uint32_t>(command)] =
        RecorderButton{(value & ITEM_BUTTON_ENABLED) != 0, (value & ITEM_BUTTON_PRESSED) != 0};
  }
  return state;
}

bool ClickRecorderButton(std::uint32_t command) {
  void* window = RecorderWindow();
  if (window == nullptr) return false;
  rb_send_message(window, WM_COMMAND, command, 0);
  return true;
}

bool ClickRecorderRow(std::int32_t row) {
  void* window = RecorderWindow();
  if (window == nullptr) return false;
  rb_send_message(window, MESSAGE_ROW_CLICK, static_cast<std::uintptr_t>(row), 0);
  return true;
}

}  // namespace reelbox::host
