// A Windows host for checking the plug-in's windows under Wine: a main window
// with a menu, a toolbar and a status bar, the IHostShell calls the plug-in's
// windows make, the plug-in loaded from reelbox.dll, a scripted machine for
// its device, real input messages through the message loop (with
// TranslateAccelerator), and screenshots.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "contract/plugin_interfaces.h"
#include "host/shell_base.h"
#include "unit/scripted_machine.h"

namespace reelbox::test {

class WindowsTestHost final : public host::ShellBase {
 public:
  // Creates the main window (shown, at the screen's top left).
  WindowsTestHost();
  ~WindowsTestHost();
  WindowsTestHost(const WindowsTestHost&) = delete;
  WindowsTestHost& operator=(const WindowsTestHost&) = delete;

  // Loads the plug-in library and creates its object; then creates its tool
  // window, menu item, accelerators and toolbar button as a host does.
  HResult LoadPlugin(const std::string& dllPath);
  HResult CreateToolWindow();
  // Gives back every reference the host holds on the plug-in's object.
  void ReleasePlugin();
  HResult OpenTape(const std::string& path);

  // Runs the message loop for ms milliseconds (at least one pass).
  void Pump(DWORD ms);
  // Input as a person gives it: a key through the queue and the accelerator
  // table, and left clicks at a point of a control's client area.
  void PressKey(WORD virtualKey);
  void Click(HWND control, POINT point);

  HWND MainWindow() const { return main_; }
  HWND Toolbar() const { return toolbar_; }
  HMENU ToolsMenu() const { return toolsMenu_; }
  IToolWindow* ToolWindow() const { return toolWindow_; }
  IDevice* Device() const { return device_; }
  IMediaHandler* Media() const { return media_; }
  ScriptedMachine& Machine() { return machine_; }
  host::SettingsStore& Settings() { return settings_; }

  // IUnknown: the host lives on the test's stack.
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return ++references_; }
  std::uint32_t RB_CALL Release() override { return --references_; }
  MessageResult RB_CALL DefWindowProc(WindowHandle window, std::uint32_t message, MessageWParam wParam,
                                      MessageLParam lParam, std::uint32_t* messageState) override;
  HResult RB_CALL AddStatusPane(std::int32_t width, std::uint32_t* paneIndex) override;
  HResult RB_CALL GetStatusBar(WindowHandle* statusBar) override;
  WindowHandle RB_CALL GetMainWindow() override { return main_; }
  HResult RB_CALL AddCommand(std::uint32_t group, const char* text, std::uint32_t flags,
                             const HostAccelerator* accelerator, std::uint32_t* commandId) override;
  std::int32_t RB_CALL AddToolbarImage(ModuleHandle module, std::uint32_t bitmapId, std::uint32_t commandId) override;
  HResult RB_CALL AddToolbarButton(std::uint32_t group, const HostToolbarButton* button) override;
  WindowHandle RB_CALL GetToolbar() override { return toolbar_; }
  HResult RB_CALL StoreToolWindowPosition(WindowHandle window, std::int32_t* left, std::int32_t* top) override;
  HResult RB_CALL PlaceToolWindow(WindowHandle window, std::int32_t left, std::int32_t top) override;

 private:
  static LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void LayoutBars();
  POINT ClientOrigin() const;

  host::SettingsStore settings_;
  std::uint32_t references_ = 1;
  HWND main_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND status_ = nullptr;
  HMENU menuBar_ = nullptr;
  HMENU toolsMenu_ = nullptr;
  HACCEL accelerators_ = nullptr;
  std::vector<ACCEL> acceleratorList_;
  std::vector<int> paneWidths_;
  std::uint32_t nextCommandId_ = 40000;

  HMODULE library_ = nullptr;
  IMediaHandler* media_ = nullptr;
  IToolWindow* toolWindow_ = nullptr;
  IDevice* device_ = nullptr;
  ScriptedMachine machine_;
};

// The build's Unix path as Wine sees it (drive Z:).
std::string WindowsPath(const char* unixPath);
// The screen under the window (its own pixels and whatever covers it), as
// the PNG file name in the folder the build names for photographs.
bool PhotographWindow(void* window, const std::string& name);

// A snapshot's TAPE chunk at block for a .tap file: stored is the file's path
// ended by 0, or with TAPE_FLAG_EMBEDDED the file itself.
std::vector<std::uint8_t> TapeChunk(std::uint16_t block, std::uint16_t flags, const std::vector<std::uint8_t>& stored);

// A window's text, read back through WM_GETTEXT.
std::string WindowText(HWND window);
// Real input through SendInput, for modal boxes and dialogs that run their
// own message loop: a left click at the middle of a control, and typed text.
void ClickWithMouse(HWND control);
void TypeText(const std::string& text);
// Clicks button until its dialog has gone; a dialog that stays is cancelled,
// so that a check fails rather than hangs. True when the clicks closed it.
bool ClickAway(HWND dialog, HWND button);
// The dialog's button with that text, or null.
HWND ButtonWithText(HWND dialog, const std::string& text);

// A dialog as the person in front of it sees it: a message box's static text
// (id 0xFFFF) and its buttons' texts.
struct DialogSeen {
  HWND dialog = nullptr;
  std::string text;
  std::vector<std::string> buttons;
  bool photographed = false;
};
// Waits (30 s at most) for a visible dialog owned by owner, other than skip,
// of that title unless it is null; lets it paint, reads it back and
// photographs it into the screenshot folder as shot.
DialogSeen SeeDialog(HWND owner, const char* title, const char* shot, HWND skip = nullptr);

}  // namespace reelbox::test
