// A Windows host for the built reelbox.dll: a real main window, a settings
// store, a settings dialog's help service, a media host, and a message loop
// that notes the deck's events as a host's loop sees them. Shared by the
// Windows checks of the plug-in's windows.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "contract/host_interfaces.h"
#include "contract/plugin_interfaces.h"

namespace reelbox::wintest {

// The build hands over Unix paths; Wine shows the Unix root as drive Z:.
std::string WindowsPath(const char* unixPath);

template <class Interface>
class Fixed : public Interface {
 public:
  HResult RB_CALL QueryInterface(const Guid&, void** out) override {
    *out = nullptr;
    return RESULT_NOINTERFACE;
  }
  std::uint32_t RB_CALL AddRef() override { return ++references; }
  std::uint32_t RB_CALL Release() override { return --references; }
  std::uint32_t references = 0;
};

class WindowsHostShell final : public Fixed<IHostShell> {
 public:
  WindowsHostShell();
  ~WindowsHostShell();

  HResult RB_CALL GetOptionFlags(std::uint32_t* flags) override;
  HResult RB_CALL ShellSlot4() override { return RESULT_NOTIMPL; }
  MessageResult RB_CALL DefWindowProc(WindowHandle window, std::uint32_t message, MessageWParam wParam,
                                      MessageLParam lParam, std::uint32_t*) override;
  MessageResult RB_CALL DefDialogProc(WindowHandle, std::uint32_t, MessageWParam, MessageLParam,
                                      std::uint32_t* state) override;
  HResult RB_CALL AddStatusPane(std::int32_t, std::uint32_t* paneIndex) override;
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
  WindowHandle RB_CALL GetMainWindow() override { return mainWindow; }
  HResult RB_CALL AddCommand(const char*, std::uint32_t, std::uint32_t, std::uint32_t* commandId) override;
  HResult RB_CALL ShellSlot32() override { return RESULT_NOTIMPL; }
  std::int32_t RB_CALL AddToolbarImage(void*) override { return 0; }
  HResult RB_CALL AddToolbarButton(std::uint32_t, std::int32_t) override { return RESULT_OK; }
  WindowHandle RB_CALL GetToolbar() override { return nullptr; }
  HResult RB_CALL ShellSlot36() override { return RESULT_NOTIMPL; }
  HResult RB_CALL StoreToolWindowPosition(WindowHandle, std::int32_t*, std::int32_t*) override { return RESULT_OK; }
  HResult RB_CALL PlaceToolWindow(WindowHandle, std::int32_t, std::int32_t) override { return RESULT_OK; }
  HResult RB_CALL GetSettingDword(const char* key, const char* name, std::uint32_t* data) override;
  HResult RB_CALL SetSettingDword(const char* key, const char* name, std::uint32_t data) override;
  HResult RB_CALL GetSettingString(const char*, const char*, char*, std::uint32_t) override { return RESULT_FAIL; }
  HResult RB_CALL SetSettingString(const char*, const char*, const char*) override { return RESULT_OK; }

  // Settings by "key\name".
  std::map<std::string, std::uint32_t> settings;
  HWND mainWindow = nullptr;
  std::uint32_t defaultDialogCalls = 0;

 private:
  std::uint32_t modal_ = 1;
  std::uint32_t nextCommand_ = 40000;
};

// The host's settings dialog as its pages see it: help requests are noted.
class WindowsOptionsSheet final : public Fixed<IOptionsSheet> {
 public:
  HResult RB_CALL SheetSlot3() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot4() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot6() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot7() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot8() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot9() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot10() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShowContextHelp(WindowHandle window, std::uint32_t, std::uint32_t command,
                                  const std::uint32_t* helpIds) override;

  struct HelpRequest {
    int controlId;
    std::uint32_t command;
    std::uint32_t helpId;  // found in the table for the control
  };
  std::vector<HelpRequest> helpRequests;
};

class WindowsMediaHost final : public Fixed<IMediaHost> {
 public:
  HResult RB_CALL MediaHostSlot3() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaHostSlot4() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaHostSlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaHostSlot6() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL IsAutoLoadBlocked() override { return 1; }
  HResult RB_CALL MediaOpened(const char*) override { return RESULT_OK; }
  HResult RB_CALL MediaNotify(std::uint32_t) override { return RESULT_OK; }
  HResult RB_CALL MediaHostSlot10() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL GetModel() override { return 1; }
};

// The deck's events (WM_TAPE_EVENT) seen by the message loop.
struct TapeEventSeen {
  std::uint32_t code;
  std::intptr_t value;
};

// Runs the thread's message loop for ms milliseconds, noting tape events.
void PumpMessages(DWORD ms, std::vector<TapeEventSeen>* events = nullptr);

// The reelbox.dll built next to the tests, its object made through CreateInstance.
class PluginDll {
 public:
  PluginDll();
  ~PluginDll();
  IUnknown* Create(const Guid& riid);

 private:
  HMODULE library_ = nullptr;
};

// Writes the window's area of the screen as a PNG into the screenshot folder.
bool SaveScreenshot(HWND window, const char* name);

}  // namespace reelbox::wintest
