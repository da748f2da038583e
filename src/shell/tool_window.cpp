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

// The window's menu, toolbar and help texts come with the recorder's controls;
// until then these slots do nothing and succeed.
HResult TapePlugin::GetCommandHelp(std::uint32_t, char* buffer, std::int32_t size) {
  if (buffer != nullptr && size > 0) buffer[0] = '\0';
  return RESULT_OK;
}
HResult TapePlugin::UpdateMenu(MenuHandle) { return RESULT_OK; }
HResult TapePlugin::Reposition(std::uint32_t) { return RESULT_OK; }
HResult TapePlugin::LockControls(std::uint32_t) { return RESULT_OK; }
HResult TapePlugin::ToolSlot7() { return RESULT_NOTIMPL; }
std::int32_t TapePlugin::GetPriority() { return -1000; }
HResult TapePlugin::AddMenuItems(std::uint32_t) { return RESULT_OK; }
HResult TapePlugin::AddToolbarButton() { return RESULT_OK; }
HResult TapePlugin::OnCommand(std::uint32_t) { return RESULT_OK; }

}  // namespace reelbox
