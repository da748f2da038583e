#include "windows_host.h"

#include <gdiplus.h>

#include <cstdio>

namespace reelbox::wintest {
namespace {

constexpr UINT WM_TAPE_EVENT_MESSAGE = 0x500;

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateMainWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = MainWindowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
  windowClass.lpszClassName = "ReelboxTestHost";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "ReelboxTestHost", "Kestrelix", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 640, 480,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  UpdateWindow(window);
  return window;
}

std::string SettingId(const char* key, const char* name) { return std::string(key) + "\\" + name; }

// The PNG encoder of GDI+.
bool PngEncoder(CLSID* encoder) {
  UINT count = 0;
  UINT bytes = 0;
  Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &bytes);
  std::vector<std::uint8_t> buffer(bytes);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (bytes == 0 || Gdiplus::DllExports::GdipGetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
      *encoder = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

bool SavePng(HBITMAP bitmap, const std::string& path) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
  CLSID encoder;
  bool saved = false;
  Gdiplus::GpBitmap* image = nullptr;
  if (PngEncoder(&encoder) &&
      Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) == Gdiplus::Ok) {
    const std::wstring widePath(path.begin(), path.end());
    saved = Gdiplus::DllExports::GdipSaveImageToFile(image, widePath.c_str(), &encoder, nullptr) == Gdiplus::Ok;
    Gdiplus::DllExports::GdipDisposeImage(image);
  }
  Gdiplus::GdiplusShutdown(token);
  return saved;
}

}  // namespace

std::string WindowsPath(const char* unixPath) {
  std::string path = std::string("Z:") + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

WindowsHostShell::WindowsHostShell() : mainWindow(CreateMainWindow()) {}
WindowsHostShell::~WindowsHostShell() { DestroyWindow(mainWindow); }

HResult WindowsHostShell::GetOptionFlags(std::uint32_t* flags) {
  *flags = 0;
  return RESULT_OK;
}

MessageResult WindowsHostShell::DefWindowProc(WindowHandle window, std::uint32_t message, MessageWParam wParam,
                                              MessageLParam lParam, std::uint32_t*) {
  return ::DefWindowProcA(static_cast<HWND>(window), message, wParam, lParam);
}

// A dialog's default handling is the system's (FALSE); the host counts the calls.
MessageResult WindowsHostShell::DefDialogProc(WindowHandle, std::uint32_t, MessageWParam, MessageLParam,
                                              std::uint32_t* state) {
  ++defaultDialogCalls;
  if (state != nullptr) ++*state;
  return FALSE;
}

HResult WindowsHostShell::AddStatusPane(std::int32_t, std::uint32_t* paneIndex) {
  *paneIndex = 1;
  return RESULT_OK;
}

HResult WindowsHostShell::GetStatusBar(WindowHandle* statusBar) {
  *statusBar = nullptr;
  return RESULT_FAIL;
}

std::uint32_t WindowsHostShell::SetModalState(std::uint32_t modal) {
  const std::uint32_t previous = modal_;
  modal_ = modal;
  return previous;
}

HResult WindowsHostShell::AddCommand(const char*, std::uint32_t, std::uint32_t, std::uint32_t* commandId) {
  *commandId = nextCommand_++;
  return RESULT_OK;
}

HResult WindowsHostShell::GetSettingDword(const char* key, const char* name, std::uint32_t* data) {
  auto found = settings.find(SettingId(key, name));
  if (found == settings.end()) return RESULT_FAIL;
  *data = found->second;
  return RESULT_OK;
}

HResult WindowsHostShell::SetSettingDword(const char* key, const char* name, std::uint32_t data) {
  settings[SettingId(key, name)] = data;
  return RESULT_OK;
}

HResult WindowsOptionsSheet::ShowContextHelp(WindowHandle window, std::uint32_t, std::uint32_t command,
                                             const std::uint32_t* helpIds) {
  const int control = GetDlgCtrlID(static_cast<HWND>(window));
  std::uint32_t helpId = 0;
  for (const std::uint32_t* pair = helpIds; pair != nullptr && pair[0] != 0; pair += 2) {
    if (static_cast<int>(pair[0]) == control) helpId = pair[1];
  }
  helpRequests.push_back({control, command, helpId});
  return RESULT_OK;
}

void PumpMessages(DWORD ms, std::vector<TapeEventSeen>* events) {
  const DWORD end = GetTickCount() + ms;
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_TAPE_EVENT_MESSAGE && events != nullptr) {
        events->push_back({static_cast<std::uint32_t>(message.wParam), message.lParam});
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  } while (static_cast<LONG>(GetTickCount() - end) < 0);
}

PluginDll::PluginDll() : library_(LoadLibraryA(WindowsPath(REELBOX_PLUGIN_PATH).c_str())) {}
PluginDll::~PluginDll() {
  if (library_ != nullptr) FreeLibrary(library_);
}

IUnknown* PluginDll::Create(const Guid& riid) {
  using CreateInstanceFunction = HResult(RB_CALL*)(IUnknown*, const Guid&, void**);
  if (library_ == nullptr) return nullptr;
  auto create =
      reinterpret_cast<CreateInstanceFunction>(reinterpret_cast<void*>(GetProcAddress(library_, "CreateInstance")));
  void* out = nullptr;
  if (create == nullptr || Failed(create(nullptr, riid, &out))) return nullptr;
  return static_cast<IUnknown*>(out);
}

bool SaveScreenshot(HWND window, const char* name) {
  RECT area;
  if (!GetWindowRect(window, &area)) return false;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, old);
  CreateDirectoryA(WindowsPath(REELBOX_SCREENSHOTS_DIR).c_str(), nullptr);
  const bool saved = SavePng(bitmap, WindowsPath(REELBOX_SCREENSHOTS_DIR) + "\\" + name);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

}  // namespace reelbox::wintest
