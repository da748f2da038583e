#include "host/host_shell.h"

#include <cstring>

#include "platform/posix/message_service/message_service.h"

namespace reelbox::host {
namespace {

constexpr std::uint32_t FIRST_COMMAND_ID = 40000;

}  // namespace

HostShell::HostShell(SettingsStore* settings, HostRegistry* registry) : ShellBase(settings), registry_(registry) {
  mainWindow_ = rb_create_window(nullptr, nullptr, nullptr);
  statusBar_ = rb_create_window(mainWindow_, nullptr, nullptr);
  toolbar_ = rb_create_window(mainWindow_, nullptr, nullptr);
  menu_ = rb_create_window(mainWindow_, nullptr, nullptr);
}

HostShell::~HostShell() { DestroyWindows(); }

void HostShell::DestroyWindows() {
  if (mainWindow_ == nullptr) return;
  rb_destroy_window(mainWindow_);
  mainWindow_ = statusBar_ = toolbar_ = menu_ = nullptr;
}

HResult HostShell::QueryInterface(const Guid& riid, void** out) {
  return QueryWithRegistry(this, registry_, riid, out);
}

// The host handles nothing itself on its plug-ins' behalf: every message is
// left to the window's own defaults.
MessageResult HostShell::DefWindowProc(WindowHandle, std::uint32_t, MessageWParam, MessageLParam,
                                       std::uint32_t* messageState) {
  if (messageState != nullptr) *messageState = 0;
  return 0;
}

HResult HostShell::AddStatusPane(std::int32_t width, std::uint32_t* paneIndex) {
  statusPanes_.push_back(width);
  // Pane 0 is the host's own.
  if (paneIndex != nullptr) *paneIndex = static_cast<std::uint32_t>(statusPanes_.size());
  return RESULT_OK;
}

HResult HostShell::GetStatusBar(WindowHandle* statusBar) {
  if (statusBar == nullptr) return RESULT_FAIL;
  *statusBar = statusBar_;
  return RESULT_OK;
}

// A command id the caller already holds from this host takes one more
// accelerator; otherwise a new id is handed out.
HResult HostShell::AddCommand(std::uint32_t, const char* text, std::uint32_t, const HostAccelerator* accelerator,
                              std::uint32_t* commandId) {
  if (commandId == nullptr) return RESULT_FAIL;
  const bool held = *commandId >= FIRST_COMMAND_ID && *commandId < nextCommandId_;
  if (!held) *commandId = nextCommandId_++;
  const std::uint32_t key = accelerator != nullptr ? accelerator->key : 0;
  const std::uint32_t modifiers = accelerator != nullptr ? accelerator->modifiers : 0;
  commands_.push_back(HostCommand{*commandId, text != nullptr ? text : "", key, modifiers});
  return RESULT_OK;
}

std::uint32_t HostShell::CommandForKey(std::uint32_t key, std::uint32_t modifiers) const {
  const std::uint32_t mask = ACCEL_SHIFT | ACCEL_CONTROL | ACCEL_ALT;
  for (const HostCommand& command : commands_) {
    if (command.key == key && (command.modifiers & mask) == (modifiers & mask)) return command.id;
  }
  return 0;
}

std::int32_t HostShell::AddToolbarImage(ModuleHandle module, std::uint32_t bitmapId, std::uint32_t commandId) {
  if (bitmapId == 0) return -1;
  toolbarImages_.push_back(ToolbarImage{module, bitmapId, commandId});
  return static_cast<std::int32_t>(toolbarImages_.size() - 1);
}

HResult HostShell::AddToolbarButton(std::uint32_t, const HostToolbarButton* button) {
  if (button == nullptr || button->image < 0 || static_cast<std::size_t>(button->image) >= toolbarImages_.size()) {
    return RESULT_FAIL;
  }
  const bool checked = (button->state & BUTTON_STATE_CHECKED) != 0;
  toolbarButtons_.push_back(ToolbarButton{static_cast<std::uint32_t>(button->command), button->image, checked});
  return RESULT_OK;
}

HResult HostShell::StoreToolWindowPosition(WindowHandle, std::int32_t* left, std::int32_t* top) {
  if (left == nullptr || top == nullptr) return RESULT_FAIL;
  *left = toolLeft_;
  *top = toolTop_;
  return RESULT_OK;
}

HResult HostShell::PlaceToolWindow(WindowHandle, std::int32_t left, std::int32_t top) {
  toolLeft_ = left;
  toolTop_ = top;
  return RESULT_OK;
}

}  // namespace reelbox::host
