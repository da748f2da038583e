#include "platform/window_messages.h"

#include <windows.h>

namespace reelbox::platform {
namespace {

constexpr const char* MESSAGE_WINDOW_CLASS = "ReelboxMessageWindow";
constexpr int PROCEDURE_OFFSET = 0;  // window extra bytes: the forwarded-to procedure

struct Binding {
  WindowProcedure procedure;
  void* context;
};

// The module that holds this code (the plug-in, or a test program linking it
// statically): the window class belongs to it.
HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

void Bind(HWND window, const CREATESTRUCTA& creation) {
  const auto* binding = static_cast<const Binding*>(creation.lpCreateParams);
  SetWindowLongPtrA(window, PROCEDURE_OFFSET, reinterpret_cast<LONG_PTR>(binding->procedure));
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(binding->context));
}

// Delivered to the procedure: what the native stand-in delivers, that is
// posted messages (WM_USER and above) and the two destruction messages. The
// rest gets the default handling a window needs to be created and live.
bool IsForwarded(UINT message) { return message >= WM_USER || message == WM_DESTROY || message == WM_NCDESTROY; }

LRESULT CALLBACK ForwardingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) Bind(window, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
  auto procedure = reinterpret_cast<WindowProcedure>(GetWindowLongPtrA(window, PROCEDURE_OFFSET));
  if (procedure == nullptr || !IsForwarded(message)) return DefWindowProcA(window, message, wParam, lParam);
  void* context = reinterpret_cast<void*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrA(window, PROCEDURE_OFFSET, 0);
  return procedure(context, window, message, wParam, lParam);
}

bool RegisterMessageWindowClass(HINSTANCE module) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ForwardingProcedure;
  windowClass.cbWndExtra = sizeof(LONG_PTR);
  windowClass.hInstance = module;
  windowClass.lpszClassName = MESSAGE_WINDOW_CLASS;
  return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool PostWindowMessage(WindowHandle window, std::uint32_t message, MessageWParam wParam, MessageLParam lParam) {
  return PostMessageA(static_cast<HWND>(window), message, wParam, lParam) != 0;
}

std::size_t RemovePendingMessages(WindowHandle window, std::uint32_t message) {
  std::size_t removed = 0;
  MSG pending;
  while (PeekMessageA(&pending, static_cast<HWND>(window), message, message, PM_REMOVE)) ++removed;
  return removed;
}

// A child of parent when there is one, else a message-only window.
WindowHandle CreateMessageWindow(WindowHandle parent, WindowProcedure procedure, void* context) {
  HINSTANCE module = ThisModule();
  if (!RegisterMessageWindowClass(module)) return nullptr;
  Binding binding{procedure, context};
  HWND owner = parent != nullptr ? static_cast<HWND>(parent) : HWND_MESSAGE;
  const DWORD style = parent != nullptr ? WS_CHILD : 0;
  return CreateWindowExA(0, MESSAGE_WINDOW_CLASS, "", style, 0, 0, 0, 0, owner, nullptr, module, &binding);
}

// The class goes with its last window, so that a plug-in unloaded and loaded
// again never finds a class whose procedure points into the old copy.
void DestroyMessageWindow(WindowHandle window) {
  DestroyWindow(static_cast<HWND>(window));
  UnregisterClassA(MESSAGE_WINDOW_CLASS, ThisModule());
}

}  // namespace reelbox::platform
