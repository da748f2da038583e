// IToolWindow: the cassette recorder window and its entries in the host.
#include <new>

#include "platform/system_error.h"
#include "shell/module_state.h"
#include "shell/tape_plugin.h"
#include "ui/cassette_recorder.h"

namespace reelbox {

HResult TapePlugin::Create(WindowHandle parent, IHostShell* hostShell) {
  SafeRelease(shell);
  shell = hostShell;
  if (shell != nullptr) shell->AddRef();
  deck.UseSettingsStore(shell);
  if (shell != nullptr) {
    shell->GetSettingDword(SETTINGS_KEY, "Embed", &embedTape);
    shell->GetSettingDword(SETTINGS_KEY, "Warn Embed Large Files", &warnEmbedLargeFiles);
  }

  auto* recorder = new (std::nothrow) CassetteRecorder(moduleInstance, &blockList);
  if (recorder == nullptr) return RESULT_OUTOFMEMORY;
  recorderWindow = recorder;
  WindowHandle window = recorder->Create(parent, shell);
  if (window == nullptr) {
    recorderWindow = nullptr;
    recorder->Discard();
    return platform::LastErrorResult();
  }
  recorder->SetOwnerSlot(&recorderWindow);
  deck.notifyWindow = window;
  return RESULT_OK;
}

HResult TapePlugin::GetCommandHelp(std::uint32_t commandId, char* buffer, std::int32_t size) {
  if (recorderWindow != nullptr) recorderWindow->GetMenuHelp(commandId, buffer, size);
  return RESULT_OK;
}

HResult TapePlugin::UpdateMenu(MenuHandle menu) {
  if (recorderWindow != nullptr) recorderWindow->UpdateMenu(menu);
  return RESULT_OK;
}

HResult TapePlugin::Reposition(std::uint32_t) {
  if (recorderWindow != nullptr) recorderWindow->Reposition();
  return RESULT_OK;
}

HResult TapePlugin::LockControls(std::uint32_t locked) {
  if (recorderWindow != nullptr) recorderWindow->LockControls(locked != 0, deck.state);
  return RESULT_OK;
}

HResult TapePlugin::ToolSlot7() { return RESULT_NOTIMPL; }
std::int32_t TapePlugin::GetPriority() { return -1000; }

HResult TapePlugin::AddMenuItems(std::uint32_t useCtrlKeys) {
  return recorderWindow != nullptr ? recorderWindow->AddMenuItems(useCtrlKeys) : RESULT_FAIL;
}

HResult TapePlugin::AddToolbarButton() {
  return recorderWindow != nullptr ? recorderWindow->AddHostToolbarButton() : RESULT_FAIL;
}

HResult TapePlugin::OnCommand(std::uint32_t commandId) {
  if (recorderWindow != nullptr) recorderWindow->OnHostCommand(commandId);
  return RESULT_OK;
}

}  // namespace reelbox
