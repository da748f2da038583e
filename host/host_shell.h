// The host's shell as its plug-ins' windows see it: settings, a status bar,
// menu commands and a toolbar, recorded as plain entries, and the main window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contract/host_interfaces.h"
#include "host/host_objects.h"
#include "host/ref_count.h"
#include "host/shell_base.h"

namespace reelbox::host {

struct HostCommand {
  std::uint32_t id;
  std::string text;  // empty for an accelerator
  std::uint32_t key;
  std::uint32_t modifiers;  // ACCEL_* bits
};

struct ToolbarButton {
  std::uint32_t commandId;
  std::int32_t imageIndex;
  bool checked;
};

struct ToolbarImage {
  ModuleHandle module;
  std::uint32_t bitmapId;
  std::uint32_t commandId;
};

class HostShell final : public ShellBase {
 public:
  // The main window and its status bar and toolbar are made here and
  // destroyed with the shell.
  HostShell(SettingsStore* settings, HostRegistry* registry);
  ~HostShell();
  HostShell(const HostShell&) = delete;
  HostShell& operator=(const HostShell&) = delete;

  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return refs_.Add(); }
  std::uint32_t RB_CALL Release() override { return refs_.Drop(); }
  MessageResult RB_CALL DefWindowProc(WindowHandle window, std::uint32_t message, MessageWParam wParam,
                                      MessageLParam lParam, std::uint32_t* messageState) override;
  HResult RB_CALL AddStatusPane(std::int32_t width, std::uint32_t* paneIndex) override;
  HResult RB_CALL GetStatusBar(WindowHandle* statusBar) override;
  WindowHandle RB_CALL GetMainWindow() override { return mainWindow_; }
  HResult RB_CALL AddCommand(std::uint32_t group, const char* text, std::uint32_t flags,
                             const HostAccelerator* accelerator, std::uint32_t* commandId) override;
  std::int32_t RB_CALL AddToolbarImage(ModuleHandle module, std::uint32_t bitmapId, std::uint32_t commandId) override;
  HResult RB_CALL AddToolbarButton(std::uint32_t group, const HostToolbarButton* button) override;
  WindowHandle RB_CALL GetToolbar() override { return toolbar_; }
  HResult RB_CALL StoreToolWindowPosition(WindowHandle window, std::int32_t* left, std::int32_t* top) override;
  HResult RB_CALL PlaceToolWindow(WindowHandle window, std::int32_t left, std::int32_t top) override;

  // Destroys the main window and with it every window parented to it.
  void DestroyWindows();

  const std::vector<HostCommand>& Commands() const { return commands_; }
  // The command bound to key with modifiers (ACCEL_* bits, virtual-key bit
  // ignored); 0 when none is.
  std::uint32_t CommandForKey(std::uint32_t key, std::uint32_t modifiers) const;
  WindowHandle StatusBar() const { return statusBar_; }
  WindowHandle MenuBar() const { return menu_; }
  const std::vector<ToolbarButton>& ToolbarButtons() const { return toolbarButtons_; }
  const std::vector<std::int32_t>& StatusPanes() const { return statusPanes_; }
  std::uint32_t References() const { return refs_.Count(); }
  std::int32_t ToolWindowLeft() const { return toolLeft_; }
  std::int32_t ToolWindowTop() const { return toolTop_; }

 private:
  RefCount refs_;
  HostRegistry* registry_;
  WindowHandle mainWindow_ = nullptr;
  WindowHandle statusBar_ = nullptr;
  WindowHandle toolbar_ = nullptr;
  std::uint32_t nextCommandId_ = 40000;
  std::vector<HostCommand> commands_;
  WindowHandle menu_ = nullptr;
  std::vector<ToolbarImage> toolbarImages_;
  std::vector<ToolbarButton> toolbarButtons_;
  std::vector<std::int32_t> statusPanes_;
  std::int32_t toolLeft_ = 0;
  std::int32_t toolTop_ = 0;
};

}  // namespace reelbox::host
