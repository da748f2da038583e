// A Windows host for the plug-in's windows under Wine: a main window with a
// menu, toolbar and status bar, the plug-in loaded from reelbox.dll, a scripted
// machine for its device, real input, and screenshots.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>  // after windows.h
#include <gdiplus.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "contract/plugin_interfaces.h"
#include "host/host_objects.h"
#include "host/shell_base.h"
#include "snapshot/tape_chunk.h"
#include "unit/scripted_machine.h"

namespace reelbox::test {

// The build's Unix path as Wine sees it (drive Z:).
inline std::string WindowsPath(const char* unixPath) {
  std::string path = std::string("Z:") + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

class WindowsTestHost final : public host::ShellBase {
 public:
  // Creates the main window (shown, at the screen's top left).
  WindowsTestHost() : ShellBase(&settings_) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &WindowsTestHost::MainProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    windowClass.lpszClassName = CLASS;
    RegisterClassExA(&windowClass);
    menuBar_ = CreateMenu();
    toolsMenu_ = CreatePopupMenu();
    AppendMenuA(menuBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(toolsMenu_), "&Tools");
    main_ = CreateWindowExA(0, CLASS, "Kestrelix test host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480,
                            nullptr, menuBar_, GetModuleHandleA(nullptr), this);
    toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, 0, 0,
                               0, 0, main_, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    status_ = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, "Ready", main_, 1);
    ShowWindow(main_, SW_SHOWNORMAL);
    LayoutBars();
    Pump(50);
  }
  ~WindowsTestHost() {
    if (main_ != nullptr) DestroyWindow(main_);  // the tool window goes with its owner
    ReleasePlugin();
    if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
    if (library_ != nullptr) FreeLibrary(library_);
    UnregisterClassA(CLASS, GetModuleHandleA(nullptr));
  }
  WindowsTestHost(const WindowsTestHost&) = delete;
  WindowsTestHost& operator=(const WindowsTestHost&) = delete;

  // Loads reelbox.dll, then creates its object, tool window, menu item, accelerators and toolbar button.
  HResult LoadPlugin(const std::string& dllPath) {
    library_ = LoadLibraryA(dllPath.c_str());
    if (library_ == nullptr) return ResultFromSystemError(static_cast<std::int32_t>(GetLastError()));
    auto create =
        reinterpret_cast<CreateInstanceFunction>(reinterpret_cast<void*>(GetProcAddress(library_, "CreateInstance")));
    HResult result =
        create != nullptr ? create(nullptr, IID_IMediaHandler, reinterpret_cast<void**>(&media_)) : RESULT_FAIL;
    if (Failed(result)) return result;
    media_->QueryInterface(IID_IToolWindow, reinterpret_cast<void**>(&toolWindow_));
    media_->QueryInterface(IID_IDevice, reinterpret_cast<void**>(&device_));
    if (toolWindow_ == nullptr || device_ == nullptr) return RESULT_NOINTERFACE;
    result = toolWindow_->Create(main_, this);
    if (Failed(result)) return result;
    toolWindow_->AddMenuItems(0);
    result = toolWindow_->AddToolbarButton();
    Pump(50);
    return result;
  }
  // Detaches the device and gives back every reference the host holds on the plug-in's object.
  void ReleasePlugin() {
    if (device_ != nullptr) device_->Detach();
    SafeRelease(device_);
    SafeRelease(toolWindow_);
    SafeRelease(media_);
  }
  HResult OpenTape(const std::string& path) {
    const HResult result = media_->OpenMedia(path.c_str(), nullptr, 0);
    Pump(50);
    return result;
  }

  // Runs the message loop for ms milliseconds (at least one pass).
  void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    do {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (accelerators_ != nullptr && TranslateAcceleratorA(main_, accelerators_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
      Sleep(5);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
  }
  // Input as a person gives it: a key through the accelerator table, a left click at a point of a control.
  void PressKey(WORD virtualKey) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(main_, WM_KEYDOWN, virtualKey, scan | 1);
    PostMessageA(main_, WM_KEYUP, virtualKey, scan | 1 | (3L << 30));
    Pump(100);
  }
  void Click(HWND control, POINT point) {
    const LPARAM at = MAKELPARAM(point.x, point.y);
    // The release waits in the queue while the press is handled, so controls
    // that look ahead for it (a list view's drag detection) find it there.
    SendMessageA(control, WM_MOUSEMOVE, 0, at);
    PostMessageA(control, WM_LBUTTONUP, 0, at);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Pump(150);
  }

  HWND MainWindow() const { return main_; }
  HWND Toolbar() const { return toolbar_; }
  HMENU ToolsMenu() const { return toolsMenu_; }
  IToolWindow* ToolWindow() const { return toolWindow_; }
  IDevice* Device() const { return device_; }
  IMediaHandler* Media() const { return media_; }
  ScriptedMachine& Machine() { return machine_; }
  host::SettingsStore& Settings() { return settings_; }

  // IUnknown: the host lives on the test's stack.
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override {
    return host::QueryWithRegistry(this, &machine_.registry, riid, out);
  }
  std::uint32_t RB_CALL AddRef() override { return ++references_; }
  std::uint32_t RB_CALL Release() override { return --references_; }
  MessageResult RB_CALL DefWindowProc(WindowHandle window, std::uint32_t message, MessageWParam wParam,
                                      MessageLParam lParam, std::uint32_t* messageState) override {
    if (messageState != nullptr) *messageState = 0;
    return ::DefWindowProcA(static_cast<HWND>(window), message, wParam, lParam);
  }
  HResult RB_CALL AddStatusPane(std::int32_t width, std::uint32_t* paneIndex) override {
    paneWidths_.push_back(width);
    *paneIndex = static_cast<std::uint32_t>(paneWidths_.size());
    LayoutBars();
    return RESULT_OK;
  }
  HResult RB_CALL GetStatusBar(WindowHandle* statusBar) override {
    *statusBar = status_;
    return RESULT_OK;
  }
  WindowHandle RB_CALL GetMainWindow() override { return main_; }
  // An id the caller already holds from this host takes one more accelerator.
  HResult RB_CALL AddCommand(std::uint32_t, const char* text, std::uint32_t, const HostAccelerator* accelerator,
                             std::uint32_t* commandId) override {
    if (commandId == nullptr) return RESULT_FAIL;
    if (*commandId < FIRST_COMMAND || *commandId >= nextCommandId_) *commandId = nextCommandId_++;
    if (text != nullptr) {
      AppendMenuA(toolsMenu_, MF_STRING, *commandId, text);
      DrawMenuBar(main_);
    }
    if (accelerator != nullptr) {
      acceleratorList_.push_back(
          ACCEL{static_cast<BYTE>(accelerator->modifiers), accelerator->key, static_cast<WORD>(*commandId)});
      if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
      accelerators_ = CreateAcceleratorTableA(acceleratorList_.data(), static_cast<int>(acceleratorList_.size()));
    }
    return RESULT_OK;
  }
  std::int32_t RB_CALL AddToolbarImage(ModuleHandle module, std::uint32_t bitmapId, std::uint32_t) override {
    TBADDBITMAP strip{static_cast<HINSTANCE>(module), bitmapId};
    return static_cast<std::int32_t>(SendMessageA(toolbar_, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&strip)));
  }
  HResult RB_CALL AddToolbarButton(std::uint32_t, const HostToolbarButton* button) override {
    TBBUTTON record{};
    std::memcpy(&record, button, sizeof record);
    if (!SendMessageA(toolbar_, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&record))) return RESULT_FAIL;
    SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
    return RESULT_OK;
  }
  WindowHandle RB_CALL GetToolbar() override { return toolbar_; }
  // Tool windows are placed relative to the main window's client area.
  HResult RB_CALL StoreToolWindowPosition(WindowHandle window, std::int32_t* left, std::int32_t* top) override {
    RECT rect{};
    POINT origin{0, 0};
    if (!GetWindowRect(static_cast<HWND>(window), &rect) || !ClientToScreen(main_, &origin)) return RESULT_FAIL;
    *left = rect.left - origin.x;
    *top = rect.top - origin.y;
    return RESULT_OK;
  }
  HResult RB_CALL PlaceToolWindow(WindowHandle window, std::int32_t left, std::int32_t top) override {
    POINT origin{0, 0};
    ClientToScreen(main_, &origin);
    SetWindowPos(static_cast<HWND>(window), nullptr, origin.x + left, origin.y + top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return RESULT_OK;
  }

 private:
  static constexpr const char* CLASS = "ReelboxTestHost";
  static constexpr UINT FIRST_COMMAND = 40000;

  static LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* host = static_cast<WindowsTestHost*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
      host->main_ = window;
    }
    auto* host = reinterpret_cast<WindowsTestHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    IToolWindow* tool = host != nullptr ? host->toolWindow_ : nullptr;
    if (message == WM_COMMAND && LOWORD(wParam) >= FIRST_COMMAND && tool != nullptr) tool->OnCommand(LOWORD(wParam));
    if (message == WM_INITMENUPOPUP && tool != nullptr) tool->UpdateMenu(reinterpret_cast<HMENU>(wParam));
    if (message == WM_MOVE && tool != nullptr) tool->Reposition(0);
    if (message == WM_SIZE && host != nullptr) host->LayoutBars();
    if (message == WM_NCDESTROY && host != nullptr) host->main_ = nullptr;
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  // The host's own pane fills what the plug-ins' panes leave at the right.
  void LayoutBars() {
    if (toolbar_ != nullptr) SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
    if (status_ == nullptr) return;
    SendMessageA(status_, WM_SIZE, 0, 0);
    RECT client{};
    GetClientRect(main_, &client);
    std::vector<int> edges(paneWidths_.size() + 1, -1);  // the last pane reaches the size grip
    int right = client.right - GetSystemMetrics(SM_CXVSCROLL);
    for (std::size_t i = paneWidths_.size(); i > 0; --i) edges[i - 1] = right -= paneWidths_[i - 1];
    SendMessageA(status_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  }

  host::SettingsStore settings_;
  std::uint32_t references_ = 1;
  HWND main_ = nullptr, toolbar_ = nullptr, status_ = nullptr;
  HMENU menuBar_ = nullptr, toolsMenu_ = nullptr;
  HACCEL accelerators_ = nullptr;
  std::vector<ACCEL> acceleratorList_;
  std::vector<int> paneWidths_;  // the plug-ins' panes
  std::uint32_t nextCommandId_ = FIRST_COMMAND;
  HMODULE library_ = nullptr;
  IMediaHandler* media_ = nullptr;
  IToolWindow* toolWindow_ = nullptr;
  IDevice* device_ = nullptr;
  ScriptedMachine machine_;
};

// A TAPE chunk at block for a .tap file: stored is its path ended by 0, or the file itself when embedded.
inline std::vector<std::uint8_t> TapeChunk(std::uint16_t block, std::uint16_t flags,
                                           const std::vector<std::uint8_t>& stored) {
  std::vector<std::uint8_t> chunk(TAPE_CHUNK_HEADER);
  StartTapeChunk(chunk.data());
  const auto size = static_cast<std::uint32_t>(stored.size());
  PutU32(chunk.data() + TAPE_AT_SIZE, TAPE_CHUNK_FIXED + size);
  PutU16(chunk.data() + TAPE_AT_BLOCK, block);
  PutU16(chunk.data() + TAPE_AT_FLAGS, flags);
  if (flags & TAPE_FLAG_EMBEDDED) PutU32(chunk.data() + TAPE_AT_UNCOMPRESSED, size);
  PutU32(chunk.data() + TAPE_AT_STORED, size);
  std::memcpy(chunk.data() + TAPE_AT_EXTENSION, "tap", 3);
  chunk.insert(chunk.end(), stored.begin(), stored.end());
  return chunk;
}

// A window's text, read back through WM_GETTEXT.
inline std::string WindowText(HWND window) {
  char text[1024] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// Real input, for dialogs that run their own message loop: a click at a control's middle, typed text.
inline void ClickWithMouse(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  INPUT events[2] = {};
  events[0].type = events[1].type = INPUT_MOUSE;
  events[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  events[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, events, sizeof(INPUT));
  Sleep(100);
}
inline void TypeText(const std::string& text) {
  for (char c : text) {
    for (const DWORD up : {0, KEYEVENTF_KEYUP}) {
      INPUT event{INPUT_KEYBOARD, {}};
      event.ki.wScan = static_cast<WORD>(c);
      event.ki.dwFlags = KEYEVENTF_UNICODE | up;
      SendInput(1, &event, sizeof(INPUT));
    }
    Sleep(100);
  }
}

// The dialog's button with that text, or null.
inline HWND ButtonWithText(HWND dialog, const std::string& text) {
  for (HWND child = FindWindowExA(dialog, nullptr, "Button", nullptr); child != nullptr;
       child = FindWindowExA(dialog, child, "Button", nullptr)) {
    if (WindowText(child) == text) return child;
  }
  return nullptr;
}

// Clicks button until its dialog has gone; a dialog that stays is cancelled,
// so that a check fails rather than hangs. True when the clicks closed it.
inline bool ClickAway(HWND dialog, HWND button) {
  SetForegroundWindow(dialog);
  for (int i = 0; i < 50 && IsWindow(dialog); ++i) {
    if (i % 10 == 0) ClickWithMouse(button);
    Sleep(100);
  }
  if (!IsWindow(dialog)) return true;
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  return false;
}

// The screen under the window, as the PNG name in the folder the build names for photographs.
inline bool PhotographWindow(HWND window, const std::string& name) {
  RECT area{};
  GetWindowRect(window, &area);
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  bool saved = false;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
    const std::filesystem::path folder = WindowsPath(REELBOX_SCREENSHOTS_DIR);
    CreateDirectoryW(folder.c_str(), nullptr);
    const CLSID pngEncoder{0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    saved = Gdiplus::Bitmap(bitmap, nullptr).Save((folder / name).c_str(), &pngEncoder, nullptr) == Gdiplus::Ok;
    Gdiplus::GdiplusShutdown(token);
  }
  DeleteObject(bitmap);
  return saved;
}

// A dialog as the person in front of it sees it: a message box's text (id 0xFFFF) and buttons.
struct DialogSeen {
  HWND dialog = nullptr;
  std::string text;
  std::vector<std::string> buttons;
  bool photographed = false;
};

// Waits (30 s at most) for a visible dialog owned by owner, other than skip, of that title
// unless it is null; lets it paint, reads it back and photographs it as shot.
inline DialogSeen SeeDialog(HWND owner, const char* title, const std::string& shot, HWND skip = nullptr) {
  DialogSeen seen;
  for (int i = 0; i < 600 && seen.dialog == nullptr; ++i, Sleep(50)) {
    for (HWND found = FindWindowExA(nullptr, nullptr, "#32770", title); found != nullptr && seen.dialog == nullptr;
         found = FindWindowExA(nullptr, found, "#32770", title)) {
      if (found != skip && IsWindowVisible(found) && GetWindow(found, GW_OWNER) == owner) seen.dialog = found;
    }
  }
  if (seen.dialog == nullptr) return seen;
  Sleep(300);  // painted
  seen.text = WindowText(GetDlgItem(seen.dialog, 0xFFFF));
  for (HWND child = FindWindowExA(seen.dialog, nullptr, "Button", nullptr); child != nullptr;
       child = FindWindowExA(seen.dialog, child, "Button", nullptr)) {
    seen.buttons.push_back(WindowText(child));
  }
  seen.photographed = PhotographWindow(seen.dialog, shot);
  return seen;
}

}  // namespace reelbox::test
