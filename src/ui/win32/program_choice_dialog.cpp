// The program-choice dialog: modal, lists a select block's descriptions and
// ends with the chosen one's relative offset, or 0.
#include <windows.h>

#include "resources/resource_ids.h"
#include "ui/tape_dialogs.h"

namespace reelbox {
namespace {

void FillList(HWND dialog, const std::vector<ProgramChoice>& choices) {
  HWND list = GetDlgItem(dialog, IDC_PROGRAM_LIST);
  for (const ProgramChoice& choice : choices) {
    const LRESULT item = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.description));
    if (item >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(choice.offset));
  }
  SetFocus(list);
  SendMessageA(list, LB_SETCURSEL, 0, 0);
}

INT_PTR ChosenOffset(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_PROGRAM_LIST);
  const LRESULT item = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (item == LB_ERR) return 0;
  return static_cast<INT_PTR>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(item), 0));
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    FillList(dialog, *reinterpret_cast<const std::vector<ProgramChoice>*>(lParam));
    return FALSE;  // the focus is set
  }
  if (message != WM_COMMAND) return FALSE;
  if (HIWORD(wParam) == LBN_DBLCLK || LOWORD(wParam) == IDOK) {
    EndDialog(dialog, ChosenOffset(dialog));
    return TRUE;
  }
  if (LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

std::int32_t RunProgramChoiceDialog(const DialogOwner& owner, const std::vector<ProgramChoice>& choices, std::int32_t) {
  HWND mainWindow = owner.host != nullptr ? static_cast<HWND>(owner.host->GetMainWindow()) : nullptr;
  SetLastError(0);
  const INT_PTR result = DialogBoxParamA(static_cast<HINSTANCE>(owner.module), MAKEINTRESOURCEA(IDD_PROGRAM_CHOICE),
                                         mainWindow, &Procedure, reinterpret_cast<LPARAM>(&choices));
  // -1 with an error set: no dialog, so no choice (-1 is also a real offset).
  if (result == -1 && GetLastError() != 0) return 0;
  return static_cast<std::int32_t>(result);
}

}  // namespace reelbox
