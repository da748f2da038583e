// A Windows host for checking the plug-in's windows under Wine: a main window
// with a menu, a toolbar and a status bar, the IHostShell calls the plug-in's
// windows make, the plug-in loaded from reelbox.dll, an emulation thread that
// runs frames of a scripted machine, real input messages through the message
// loop (with TranslateAccelerator), and screenshots. Tests of other windows
// (options page, dialogs, message boxes) use it as it is.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "contract/plugin_interfaces.h"
#include "unit/scripted_machine.h"

namespace reelbox::test {

class WindowsTestHost final : public IHostShell {
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
  // Attaches the device to the scripted machine and runs frames on an
  // emulation thread until StopEmulation (or destruction).
  HResult StartEmulation();
  void StopEmulation();
  HResult OpenTape(const std::string& path);

  // Runs the message loop for ms milliseconds (at least one pass).
  void Pump(DWORD ms);
  // Input as a person gives it: a key through the queue and the accelerator
  // table, and left clicks at a point of a control's client area.
  void PressKey(WORD virtualKey);
  void Click(HWND control, POINT point);
  // Writes the screen rectangle covering the main window and its tool
  // windows as a PNG file.
  bool Screenshot(const std::string& path);
  // Opens the main menu's first menu from the keyboard and photographs it
  // open, then closes it.
  bool ScreenshotWithMenuOpen(const std::string& path);

  HWND MainWindow() const { return main_; }
  HWND Toolbar() const { return toolbar_; }
  HWND StatusBar() const { return status_; }
  HMENU ToolsMenu() const { return toolsMenu_; }
  IToolWindow* ToolWindow() const { return toolWindow_; }
  IDevice* Device() const { return device_; }
  ScriptedMachine& Machine() { return machine_; }
  void SetOptionFlags(std::uint32_t flags) { optionFlags_ = flags; }
  std::map<std::string, std::uint32_t>& Settings() { return settings_; }
  // The command id the host gave for a menu text, or 0.
  std::uint32_t CommandWithText(const std::string& text) const;

  // IUnknown: the host lives on the test's stack.
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return ++references_; }
  std::uint32_t RB_CALL Release() override { return --references_; }
  // IHostShell
  HResult RB_CALL GetOptionFlags(std::uint32_t* flags) override;
  HResult RB_CALL ShellSlot4() override { return RESULT_NOTIMPL; }
  MessageResult RB_CALL DefWindowProc(WindowHandle window, std::uint32_t message, MessageWParam wParam,
                                      MessageLParam lParam, std::uint32_t* messageState) override;
  MessageResult RB_CALL DefDialogProc(WindowHandle dialog, std::uint32_t message, MessageWParam wParam,
                                      MessageLParam lParam, std::uint32_t* messageState) override;
  HResult RB_CALL AddStatusPane(std::int32_t width, std::uint32_t* paneIndex) override;
  HResult RB_CALL GetStatusBar(WindowHandle* statusBar) override;
  HResult RB_CALL ShellSlot9() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot10() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot11() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot12() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL SetModalState(std::uint32_t modal) override;
  HResult RB_CALL ShellSlot14() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot15() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot16() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot17() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot18() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot19() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot20() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot21() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot22() override { return RESULT_NOTIMPL; }
  HResult RB_CALL BeforeModalDialog() override { return RESULT_OK; }
  HResult RB_CALL ShellSlot24() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot25() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot26() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot27() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot28() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShellSlot29() override { return RESULT_NOTIMPL; }
  WindowHandle RB_CALL GetMainWindow() override { return main_; }
  HResult RB_CALL AddCommand(std::uint32_t group, const char* text, std::uint32_t flags,
                             const HostAccelerator* accelerator, std::uint32_t* commandId) override;
  HResult RB_CALL ShellSlot32() override { return RESULT_NOTIMPL; }
  std::int32_t RB_CALL AddToolbarImage(ModuleHandle module, std::uint32_t bitmapId, std::uint32_t commandId) override;
  HResult RB_CALL AddToolbarButton(std::uint32_t group, const HostToolbarButton* button) override;
  WindowHandle RB_CALL GetToolbar() override { return toolbar_; }
  HResult RB_CALL ShellSlot36() override { return RESULT_NOTIMPL; }
  HResult RB_CALL StoreToolWindowPosition(WindowHandle window, std::int32_t* left, std::int32_t* top) override;
  HResult RB_CALL PlaceToolWindow(WindowHandle window, std::int32_t left, std::int32_t top) override;
  HResult RB_CALL GetSettingDword(const char* key, const char* name, std::uint32_t* data) override;
  HResult RB_CALL SetSettingDword(const char* key, const char* name, std::uint32_t data) override;
  HResult RB_CALL GetSettingString(const char* key, const char* name, char* buffer, std::uint32_t size) override;
  HResult RB_CALL SetSettingString(const char* key, const char* name, const char* text) override;

 private:
  static LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMainMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void LayoutBars();
  bool Capture(const std::string& path);
  POINT ClientOrigin() const;

  std::uint32_t references_ = 1;
  HWND main_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND status_ = nullptr;
  HMENU menuBar_ = nullptr;
  HMENU toolsMenu_ = nullptr;
  HACCEL accelerators_ = nullptr;
  std::vector<ACCEL> acceleratorList_;
  std::map<std::uint32_t, std::string> commandTexts_;
  std::vector<int> paneWidths_;
  std::uint32_t nextCommandId_ = 40000;
  std::uint32_t optionFlags_ = 0;
  std::uint32_t modal_ = 1;
  std::map<std::string, std::uint32_t> settings_;
  std::map<std::string, std::string> stringSettings_;

  HMODULE library_ = nullptr;
  IMediaHandler* media_ = nullptr;
  IToolWindow* toolWindow_ = nullptr;
  IDevice* device_ = nullptr;
  ScriptedMachine machine_;
  std::thread emulation_;
  std::atomic<bool> running_{false};
  std::string menuShotPath_;  // taken by the timer inside the menu's own loop
  bool menuShotWritten_ = false;
};

// The build's Unix path as Wine sees it (drive Z:).
std::string WindowsPath(const char* unixPath);

}  // namespace reelbox::test
