// The message dialog: modeless, shows a tape's message for its time and
// frees itself when its dialog is destroyed.
#include <windows.h>

#include <cstring>
#include <new>

#include "resources/resource_ids.h"
#include "ui/tape_dialogs.h"

namespace reelbox {
namespace {

constexpr UINT_PTR CLOSE_TIMER = 1;

class TapeMessageDialog {
 public:
  TapeMessageDialog(IHostShell* host, const TapeMessage& message) : host(host), seconds(message.seconds) {
    if (host != nullptr) host->AddRef();
    std::memcpy(text, message.text, sizeof text);
  }

  // Null when the dialog could not be made; the object is then gone too.
  static HWND Open(HINSTANCE module, HWND owner, TapeMessageDialog* self) {
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(IDD_TAPE_MESSAGE), owner, &Procedure,
                                     reinterpret_cast<LPARAM>(self));
    // Our WM_INITDIALOG never fails, so a failed creation never reached it.
    if (dialog == nullptr) delete self;
    return dialog;
  }

 private:
  ~TapeMessageDialog() { SafeRelease(host); }

  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      auto* self = reinterpret_cast<TapeMessageDialog*>(lParam);
      SetWindowLongPtrA(window, DWLP_USER, lParam);
      self->dialog = window;
      self->OnInitDialog();
      return FALSE;
    }
    auto* self = reinterpret_cast<TapeMessageDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (self == nullptr) return FALSE;
    return self->OnMessage(message, wParam, lParam);
  }

  // Centred over the owner; halves are arithmetic, so a wider dialog moves left.
  void CentreOverOwner() {
    HWND owner = GetWindow(dialog, GW_OWNER);
    RECT outer;
    RECT inner;
    if (owner == nullptr || !GetWindowRect(owner, &outer) || !GetWindowRect(dialog, &inner)) return;
    const int x = outer.left + (((outer.right - outer.left) - (inner.right - inner.left)) >> 1);
    const int y = outer.top + (((outer.bottom - outer.top) - (inner.bottom - inner.top)) >> 1);
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void OnInitDialog() {
    CentreOverOwner();
    SetFocus(GetDlgItem(dialog, IDC_MESSAGE_TEXT));
    SetDlgItemTextA(dialog, IDC_MESSAGE_TEXT, text);
    if (seconds > 0) SetTimer(dialog, CLOSE_TIMER, static_cast<UINT>(seconds) * 1000u, nullptr);
  }

  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return FALSE;
        DestroyWindow(dialog);
        return TRUE;
      case WM_TIMER:
        if (wParam == CLOSE_TIMER) DestroyWindow(dialog);
        return TRUE;
      case WM_CTLCOLORSTATIC:  // the read-only edit control on the window's background
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
      case WM_NCDESTROY:
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        delete this;
        return FALSE;
      default:
        if (host == nullptr) return FALSE;
        return host->DefDialogProc(dialog, message, wParam, lParam, &hostDialogState);
    }
  }

  IHostShell* host;
  HWND dialog = nullptr;
  char text[MESSAGE_TEXT_CAPACITY] = {};
  std::int32_t seconds;
  std::uint32_t hostDialogState = 0;  // the host's default handling keeps its state here
};

}  // namespace

void OpenMessageDialog(const DialogOwner& owner, const TapeMessage& message, std::int32_t) {
  auto* self = new (std::nothrow) TapeMessageDialog(owner.host, message);
  if (self == nullptr) return;  // not shown; the tape goes on
  HWND mainWindow = owner.host != nullptr ? static_cast<HWND>(owner.host->GetMainWindow()) : nullptr;
  TapeMessageDialog::Open(static_cast<HINSTANCE>(owner.module), mainWindow, self);
  if (mainWindow == nullptr) return;
  // The keyboard stays with the emulator; the message, an owned window, stays above it.
  SetFocus(mainWindow);
}

}  // namespace reelbox
