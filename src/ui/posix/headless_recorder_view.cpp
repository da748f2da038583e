// The recorder's window without a screen: a message-service window whose
// procedure takes the window messages the recorder handles, and which keeps
// what a window would show as window items for the host to read.
#include <cstring>
#include <new>

#include "engine/tape_deck.h"
#include "platform/posix/message_service/message_service.h"
#include "platform/system_error.h"
#include "ui/cassette_recorder.h"
#include "ui/recorder_commands.h"
#include "ui/recorder_items.h"
#include "ui/recorder_layout.h"

namespace reelbox {
namespace {

constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_SIZE = 0x0005;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_NCDESTROY = 0x0082;
constexpr std::uint32_t WM_COMMAND = 0x0111;

// Sizes of a window drawn in an 8-pixel font, so the layout has numbers.
constexpr std::int32_t CHARACTER_WIDTH = 8;
constexpr std::int32_t STATUS_HEIGHT = 20;
constexpr std::int32_t TOOLBAR_HEIGHT = 22;
constexpr std::int32_t BUTTON_WIDTH = 23;
constexpr std::int32_t SEPARATOR_WIDTH = 8;
constexpr std::int32_t FRAME = 8;
constexpr std::int32_t CAPTION = 19;

template <std::size_t N>
std::int32_t ToolbarWidth(const ButtonSpec (&buttons)[N]) {
  std::int32_t width = 0;
  for (const ButtonSpec& button : buttons) width += button.command == 0 ? SEPARATOR_WIDTH : BUTTON_WIDTH;
  return width;
}

class HeadlessRecorderView final : public RecorderView {
 public:
  explicit HeadlessRecorderView(CassetteRecorder* recorder) : recorder_(recorder) {}

  bool Open(WindowHandle owner) {
    window_ = rb_create_window(owner, &HeadlessRecorderView::Procedure, this);
    if (window_ == nullptr) return false;
    for (const ButtonSpec& button : TRANSPORT_BUTTONS) SetButton(button);
    for (const ButtonSpec& button : OPTIONS_BUTTONS) SetButton(button);
    rb_set_window_item(window_, ITEM_VISIBLE, 0, 0, nullptr);
    rb_set_window_item(window_, ITEM_SELECTED, 0, -1, nullptr);
    recorder_->OnWindowCreated(this);
    recorder_->OnSize(RECORDER_WIDTH - 2 * FRAME, RECORDER_HEIGHT - CAPTION - 2 * FRAME);
    return true;
  }

  WindowHandle Window() const override { return window_; }
  void SetTitle(const char* title) override { rb_set_window_item(window_, ITEM_TITLE, 0, 0, title); }
  bool IsVisible() const override { return Value(ITEM_VISIBLE, 0) != 0; }
  void Show(bool shown) override { rb_set_window_item(window_, ITEM_VISIBLE, 0, shown ? 1 : 0, nullptr); }
  void ClientSize(std::int32_t* width, std::int32_t* height) const override {
    *width = RECORDER_WIDTH - 2 * FRAME;
    *height = RECORDER_HEIGHT - CAPTION - 2 * FRAME;
  }
  void WindowSize(std::int32_t* width, std::int32_t* height) const override {
    *width = RECORDER_WIDTH;
    *height = RECORDER_HEIGHT;
  }

  void BeginRows() override {
    rb_clear_window_items(window_, ITEM_ROW);
    rows_ = 0;
    SelectRow(-1);
  }
  void AddRow(const char* text, std::int32_t parameter) override {
    rb_set_window_item(window_, ITEM_ROW, rows_++, parameter, text);
  }
  void EndRows() override {}
  std::int32_t RowCount() const override { return rows_; }
  std::int32_t RowParameter(std::int32_t row) const override { return static_cast<std::int32_t>(Value(ITEM_ROW, row)); }
  std::int32_t SelectedRow() const override { return static_cast<std::int32_t>(Value(ITEM_SELECTED, 0)); }
  void SelectRow(std::int32_t row) override { rb_set_window_item(window_, ITEM_SELECTED, 0, row, nullptr); }

  void EnableButton(std::uint32_t command, bool enabled) override {
    SetButtonBit(command, ITEM_BUTTON_ENABLED, enabled);
  }
  void PressButton(std::uint32_t command, bool pressed) override {
    SetButtonBit(command, ITEM_BUTTON_PRESSED, pressed);
  }

  void SetStatusParts(std::int32_t) override {}
  void SetStatusText(int part, const char* text) override {
    rb_set_window_item(window_, ITEM_STATUS, part, Value(ITEM_STATUS, part), text);
  }
  void SetStatusIcon(int part, IconHandle icon) override {
    char text[128] = "";
    rb_get_window_item(window_, ITEM_STATUS, part, nullptr, text, sizeof text);
    rb_set_window_item(window_, ITEM_STATUS, part, reinterpret_cast<std::intptr_t>(icon), text);
  }
  std::int32_t StatusTextWidth(const char* text) const override {
    return static_cast<std::int32_t>(std::strlen(text)) * CHARACTER_WIDTH;
  }
  std::int32_t ThumbWidth() const override { return 17; }

  ControlSizes MeasureControls(std::int32_t, std::int32_t) override {
    return {STATUS_HEIGHT, ToolbarWidth(TRANSPORT_BUTTONS), TOOLBAR_HEIGHT, ToolbarWidth(OPTIONS_BUTTONS),
            TOOLBAR_HEIGHT};
  }
  void PlaceControl(std::uint32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
  void FitColumn() override {}

  void SetHostStatusIcon(WindowHandle statusBar, std::uint32_t pane, IconHandle icon) override {
    rb_set_window_item(statusBar, ITEM_PANE_ICON, static_cast<std::int32_t>(pane),
                       reinterpret_cast<std::intptr_t>(icon), nullptr);
  }
  void CheckHostButton(WindowHandle toolbar, std::uint32_t command, bool checked) override {
    rb_set_window_item(toolbar, ITEM_CHECKED, static_cast<std::int32_t>(command), checked ? 1 : 0, nullptr);
  }
  void CheckMenuItem(MenuHandle menu, std::uint32_t command, bool checked) override {
    rb_set_window_item(menu, ITEM_CHECKED, static_cast<std::int32_t>(command), checked ? 1 : 0, nullptr);
  }
  void OwnerClientSize(WindowHandle, std::int32_t* width, std::int32_t* height) const override {
    *width = 640;
    *height = 480;
  }

 private:
  static std::intptr_t Procedure(void* context, void*, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam) {
    auto* self = static_cast<HeadlessRecorderView*>(context);
    CassetteRecorder* recorder = self->recorder_;
    switch (message) {
      case WM_TAPE_EVENT:
        recorder->OnTapeEvent(static_cast<std::uint32_t>(wParam), lParam);
        return 0;
      case WM_COMMAND:
        recorder->OnCommand(static_cast<std::uint32_t>(wParam & 0xFFFF));
        return 0;
      case MESSAGE_ROW_CLICK:
        if (static_cast<std::int32_t>(wParam) < self->rows_) self->SelectRow(static_cast<std::int32_t>(wParam));
        recorder->OnRowClicked();
        return 0;
      case WM_SIZE:
        recorder->OnSize(static_cast<std::int32_t>(lParam & 0xFFFF),
                         static_cast<std::int32_t>((lParam >> 16) & 0xFFFF));
        return 0;
      case WM_CLOSE:
        recorder->OnClose();
        return 0;
      case WM_DESTROY:
        recorder->OnDestroy();
        return 0;
      case WM_NCDESTROY:
        recorder->OnNcDestroy();  // frees the recorder and this view
        return 0;
      default: {
        MessageResult result = 0;
        recorder->HostDefault(message, wParam, lParam, &result);
        return result;
      }
    }
  }

  std::intptr_t Value(const char* name, std::int32_t index) const {
    std::intptr_t value = 0;
    rb_get_window_item(window_, name, index, &value, nullptr, 0);
    return value;
  }
  void SetButton(const ButtonSpec& button) {
    if (button.command == 0) return;
    std::intptr_t bits = (button.state & BUTTON_STATE_ENABLED) ? ITEM_BUTTON_ENABLED : 0;
    if (button.state & BUTTON_STATE_CHECKED) bits |= ITEM_BUTTON_PRESSED;
    rb_set_window_item(window_, ITEM_BUTTON, static_cast<std::int32_t>(button.command), bits, nullptr);
  }
  void SetButtonBit(std::uint32_t command, std::intptr_t bit, bool on) {
    const std::int32_t index = static_cast<std::int32_t>(command);
    const std::intptr_t bits = Value(ITEM_BUTTON, index);
    rb_set_window_item(window_, ITEM_BUTTON, index, on ? bits | bit : bits & ~bit, nullptr);
  }

  CassetteRecorder* recorder_;
  WindowHandle window_ = nullptr;
  std::int32_t rows_ = 0;
};

}  // namespace

RecorderView* CreateRecorderView(CassetteRecorder* recorder, WindowHandle owner) {
  auto* view = new (std::nothrow) HeadlessRecorderView(recorder);
  if (view == nullptr || !view->Open(owner)) {
    delete view;
    platform::SetLastSystemError(8);  // ERROR_NOT_ENOUGH_MEMORY
    return nullptr;
  }
  return view;
}

}  // namespace reelbox
