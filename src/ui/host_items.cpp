// The recorder's items in the host: the show/hide menu item, its
// accelerators, the host toolbar button and the menu help text.
#include "resources/resource_ids.h"
#include "resources/strings.h"
#include "ui/cassette_recorder.h"

namespace reelbox {
namespace {

constexpr std::uint16_t KEY_K = 0x4B;
constexpr std::uint16_t KEY_F6 = 0x75;
constexpr std::uint16_t KEY_F7 = 0x76;
constexpr std::uint16_t KEY_SPACE = 0x20;
constexpr int MENU_TEXT_LENGTH = 128;

}  // namespace

HResult CassetteRecorder::AddMenuItems(std::uint32_t ctrlKeys) {
  if (host == nullptr) return RESULT_OK;
  char text[MENU_TEXT_LENGTH];
  LoadResourceString(instance, ctrlKeys ? IDS_MENU_CTRL : IDS_MENU_FKEY, text, sizeof text);
  const std::uint8_t modifiers = ctrlKeys ? ACCEL_VIRTUAL_KEY | ACCEL_CONTROL : ACCEL_VIRTUAL_KEY;
  HostAccelerator accelerator{modifiers, ctrlKeys ? KEY_K : KEY_F6, 0};
  host->AddCommand(HOST_GROUP_MENU, text, 0, &accelerator, &menuCommandId);
  accelerator.key = KEY_F7;
  host->AddCommand(HOST_GROUP_ACCELERATOR, nullptr, 0, &accelerator, &playStopCommandId);
  if (ctrlKeys) {
    accelerator.key = KEY_SPACE;
    host->AddCommand(HOST_GROUP_ACCELERATOR, nullptr, 0, &accelerator, &playStopCommandId);
  }
  accelerator = {ACCEL_VIRTUAL_KEY | ACCEL_CONTROL | ACCEL_ALT, KEY_SPACE, 0};
  host->AddCommand(HOST_GROUP_ACCELERATOR, nullptr, 0, &accelerator, &recordCommandId);
  return RESULT_OK;
}

HResult CassetteRecorder::AddHostToolbarButton() {
  if (host == nullptr) return RESULT_FAIL;
  const std::int32_t image = host->AddToolbarImage(instance, IDB_HOST_BUTTON, menuCommandId);
  if (image == -1) return RESULT_FAIL;
  HostToolbarButton button{};
  button.image = image;
  button.command = static_cast<std::int32_t>(menuCommandId);
  button.state = BUTTON_STATE_ENABLED | (showWindow ? BUTTON_STATE_CHECKED : 0);
  button.style = BUTTON_STYLE_CHECK;
  return host->AddToolbarButton(HOST_GROUP_MENU, &button);
}

void CassetteRecorder::OnHostCommand(std::uint32_t id) {
  if (id == menuCommandId) {
    if (view == nullptr) return;
    showWindow = view->IsVisible() ? 0 : 1;
    view->Show(showWindow != 0);
    if (host != nullptr) view->CheckHostButton(host->GetToolbar(), menuCommandId, showWindow != 0);
  } else if (id == playStopCommandId) {
    PostCommand(CMD_PLAY_STOP, 0, 0);
  } else if (id == recordCommandId) {
    if (tapeInserted) PostCommand(CMD_RECORD, 0, 0);
  }
}

void CassetteRecorder::UpdateMenu(MenuHandle menu) {
  if (view != nullptr) view->CheckMenuItem(menu, menuCommandId, showWindow != 0);
}

void CassetteRecorder::GetMenuHelp(std::uint32_t id, char* buffer, std::int32_t size) {
  if (id != menuCommandId || buffer == nullptr || size <= 0) return;
  LoadResourceString(instance, CtrlKeyScheme() ? IDS_MENU_HELP_CTRL : IDS_MENU_HELP_FKEY, buffer, size);
}

}  // namespace reelbox
